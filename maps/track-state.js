// SPDX-License-Identifier: GPL-3.0-or-later
// Offline track view, part 1 of 3: the track kept so far, setCurPos(), frame
// scheduling, the canvas size and the fitted view. Everything the page's
// scripts share lives in the one object window.trackPage, created here;
// track-draw.js draws from it and track-demo.js feeds the demo drive.
(function () {
  'use strict';

  // ---- Constants --------------------------------------------------------
  var EARTH_RADIUS_M = 6371008.8;                  // mean Earth radius
  var M_PER_DEG = EARTH_RADIUS_M * Math.PI / 180;  // metres per degree of latitude
  var RAD = Math.PI / 180;
  var SLACK = 1.5;            // view is made this much larger than the track when refitted
  var MIN_SPAN_M = 120;       // smallest span shown across the shorter side of the plot

  // ---- Shared state -------------------------------------------------------
  // Longitudes are stored unwrapped (continuous across the antimeridian) so a
  // track that crosses 180° stays one piece; the text shows the raw value.
  // The typed arrays are grown by doubling, so only the first `count`
  // entries are positions.
  var capacity = 4096;
  var page = window.trackPage = {
    RAD: RAD,
    M_PER_DEG: M_PER_DEG,
    trackCanvas: document.getElementById('track'),
    overlayCanvas: document.getElementById('overlay'),
    count: 0,
    lats: new Float64Array(capacity),
    lons: new Float64Array(capacity),
    curLat: 0, curLon: 0, curHeading: NaN,
    minLat: Infinity, maxLat: -Infinity, minLon: Infinity, maxLon: -Infinity,
    // Canvas size in CSS pixels and the device pixel ratio (see syncSize).
    cssW: 0, cssH: 0, dpr: 0,
    // Equirectangular, longitude scaled by cos(mid latitude):
    // x = cx + (lon - lon0) * ax,  y = cy - (lat - lat0) * ay  (CSS pixels)
    view: null,
    // Draws one frame; set by track-draw.js.
    drawFrame: null,
    schedule: schedule,
    syncSize: syncSize,
    ui: ui,
    fitView: fitView,
    bboxInView: bboxInView,
    niceDistance: niceDistance,
    formatDistance: formatDistance,
    scaleBarMaxPx: scaleBarMaxPx
  };
  var lastRawLon = 0;

  function grow() {
    capacity *= 2;
    var nl = new Float64Array(capacity);
    var no = new Float64Array(capacity);
    nl.set(page.lats);
    no.set(page.lons);
    page.lats = nl;
    page.lons = no;
  }

  // Accepts numbers and numeric strings; anything else becomes NaN.
  function toNumber(v) {
    if (typeof v === 'number') return v;
    if (typeof v === 'string' && v.trim() !== '') return Number(v);
    return NaN;
  }

  // Called by the application once per position. O(1) apart from drawing,
  // which is deferred to the next animation frame and shared by all calls
  // made before it. A call with a non-finite or out-of-range latitude or
  // longitude is ignored; a non-finite heading keeps the position and shows
  // the heading as unknown.
  function setCurPos(lat, lon, heading) {
    lat = toNumber(lat);
    lon = toNumber(lon);
    heading = toNumber(heading);
    if (!isFinite(lat) || !isFinite(lon) || lat < -90 || lat > 90 || lon < -180 || lon > 180) return;

    var p = page, count = p.count;
    var u = lon;
    if (count > 0) {
      var d = lon - lastRawLon;
      if (d > 180) d -= 360; else if (d < -180) d += 360;
      u = p.lons[count - 1] + d;
    }
    if (count === capacity) grow();
    p.lats[count] = lat;
    p.lons[count] = u;
    p.count = count + 1;
    lastRawLon = lon;

    if (lat < p.minLat) p.minLat = lat;
    if (lat > p.maxLat) p.maxLat = lat;
    if (u < p.minLon) p.minLon = u;
    if (u > p.maxLon) p.maxLon = u;

    p.curLat = lat;
    p.curLon = lon;
    p.curHeading = isFinite(heading) ? ((heading % 360) + 360) % 360 : NaN;
    schedule();
  }
  window.setCurPos = setCurPos;

  // Read-only hook for automated tests.
  window.trackPointCount = function () { return page.count; };

  // ---- Frame scheduling -----------------------------------------------------
  // A frame that comes before track-draw.js has run draws nothing; the last
  // script schedules one more frame once everything is in place.
  var framePending = false;
  function schedule() {
    if (framePending) return;
    framePending = true;
    window.requestAnimationFrame(frame);
  }

  function frame() {
    framePending = false;
    if (page.drawFrame) page.drawFrame();
  }

  // ---- Canvas size (CSS pixels and device pixel ratio) ----------------------
  // The canvas bitmaps are allocated in steps of 256 device pixels and only
  // their top-left part is used, so resizing the window by small amounts
  // (dragging its edge) does not reallocate them: a new bitmap is far more
  // expensive than redrawing one, notably with software rendering.
  var BITMAP_STEP = 256;
  var bitmapW = 0, bitmapH = 0;

  // Returns whether the size or the pixel ratio changed since the last call.
  function syncSize() {
    var p = page;
    var w = document.documentElement.clientWidth || window.innerWidth || 0;
    var h = document.documentElement.clientHeight || window.innerHeight || 0;
    var d = window.devicePixelRatio || 1;
    if (w === p.cssW && h === p.cssH && d === p.dpr) return false;
    var dprChanged = d !== p.dpr;
    p.cssW = w; p.cssH = h; p.dpr = d;
    var bw = Math.max(1, Math.ceil(w * d / BITMAP_STEP)) * BITMAP_STEP;
    var bh = Math.max(1, Math.ceil(h * d / BITMAP_STEP)) * BITMAP_STEP;
    if (bw !== bitmapW || bh !== bitmapH || dprChanged) {
      bitmapW = bw; bitmapH = bh;
      var cw = (bw / d) + 'px', ch = (bh / d) + 'px';
      [p.trackCanvas, p.overlayCanvas].forEach(function (c) {
        c.width = bw; c.height = bh;
        c.style.width = cw; c.style.height = ch;
      });
    }
    if (dprChanged) watchDpr();
    return true;
  }

  // A change of device pixel ratio (e.g. the window moved to another screen)
  // does not always come with a resize event.
  var dprQuery = null;
  function watchDpr() {
    if (!window.matchMedia) return;
    if (dprQuery) dprQuery.removeEventListener('change', schedule);
    dprQuery = window.matchMedia('(resolution: ' + page.dpr + 'dppx)');
    dprQuery.addEventListener('change', schedule);
  }
  window.addEventListener('resize', schedule);

  // ---- Layout of the overlay parts (CSS pixels) -----------------------------
  function ui() {
    var cssW = page.cssW, cssH = page.cssH;
    var small = cssW < 360 || cssH < 300;
    return {
      pad: small ? 8 : 10,
      f1: small ? 12 : (cssW >= 900 ? 15 : 14),
      f2: small ? 11 : (cssW >= 900 ? 13 : 12)
    };
  }

  // Area that the fitted track must stay inside: clear of the coordinates
  // panel at the top and the scale bar at the bottom.
  function plotRect() {
    var cssW = page.cssW, cssH = page.cssH;
    var u = ui();
    var side = Math.max(16, Math.min(40, cssW * 0.05));
    var top = u.pad + (u.f1 + u.f2) * 1.35 + 2 * u.pad + 14;
    var bottom = 48;
    var l = side, r = cssW - side, t = top, b = cssH - bottom;
    if (r - l < 40) { l = 0; r = Math.max(cssW, 1); }
    if (b - t < 40) { t = 0; b = Math.max(cssH, 1); }
    return { l: l, r: r, t: t, b: b };
  }

  // ---- View fitting ------------------------------------------------------------
  function fitView() {
    var p = page;
    var r = plotRect();
    var lat0 = (p.minLat + p.maxLat) / 2;
    var lon0 = (p.minLon + p.maxLon) / 2;
    var kx = Math.max(Math.cos(lat0 * RAD), 0.01);
    var wM = (p.maxLon - p.minLon) * M_PER_DEG * kx;
    var hM = (p.maxLat - p.minLat) * M_PER_DEG;
    var pw = r.r - r.l, ph = r.b - r.t;
    var mpp = Math.max(wM / pw, hM / ph) * SLACK;      // metres per CSS pixel
    mpp = Math.max(mpp, MIN_SPAN_M / Math.min(pw, ph));
    p.view = {
      lat0: lat0, lon0: lon0, mpp: mpp,
      ax: M_PER_DEG * kx / mpp, ay: M_PER_DEG / mpp,
      cx: (r.l + r.r) / 2, cy: (r.t + r.b) / 2,
      rect: r
    };
  }

  // O(1): the running bounding box against the plot area of the current view.
  function bboxInView() {
    var p = page, v = p.view, r = v.rect;
    var x0 = v.cx + (p.minLon - v.lon0) * v.ax;
    var x1 = v.cx + (p.maxLon - v.lon0) * v.ax;
    var y0 = v.cy - (p.maxLat - v.lat0) * v.ay;
    var y1 = v.cy - (p.minLat - v.lat0) * v.ay;
    return x0 >= r.l && x1 <= r.r && y0 >= r.t && y1 <= r.b;
  }

  // Largest 1-2-5 x 10^k distance not above maxMetres.
  function niceDistance(maxMetres) {
    var p = Math.pow(10, Math.floor(Math.log(maxMetres) / Math.LN10));
    var m = maxMetres / p;
    return (m >= 5 ? 5 : m >= 2 ? 2 : 1) * p;
  }

  function formatDistance(m) {
    if (m >= 1000) return (m / 1000) + ' km';
    if (m >= 1) return m + ' m';
    if (m >= 0.01) return (Math.round(m * 100) / 100) + ' m';
    return m.toExponential(0) + ' m';
  }

  function scaleBarMaxPx() { return Math.max(60, Math.min(150, page.cssW * 0.34)); }
})();
