// SPDX-License-Identifier: GPL-3.0-or-later
// Offline track view, part 2 of 3: drawing the two canvas layers from the
// state in window.trackPage (see track-state.js), one frame at a time.
(function () {
  'use strict';

  var page = window.trackPage;
  var RAD = page.RAD;
  var TAIL_POINTS = 120;      // newest positions drawn in the stronger colour
  var FONT = 'system-ui, -apple-system, "Segoe UI", Roboto, Ubuntu, Cantarell, "Noto Sans", "DejaVu Sans", Arial, sans-serif';
  var COLOR = {
    bg: '#f4f6f8',
    grid: '#e2e6eb',
    track: '#38414d',
    tail: '#e8590c',
    dot: '#1a73e8',
    halo: 'rgba(26, 115, 232, 0.18)',
    text: '#1f2630',
    textDim: '#5b6573',
    panel: 'rgba(255, 255, 255, 0.90)',
    panelEdge: '#d3d8df'
  };

  var tctx = page.trackCanvas.getContext('2d', { alpha: false });
  var octx = page.overlayCanvas.getContext('2d');

  // ---- Track layer ----------------------------------------------------------
  // Index and position of the last vertex drawn into the layer; appending
  // continues from there. Points closer than about half a device pixel to
  // the previous vertex are skipped.
  var lastVIdx = -1, lastVX = 0, lastVY = 0;

  function renderTrackLayer() {
    var v = page.view, cssW = page.cssW, cssH = page.cssH, dpr = page.dpr;
    tctx.setTransform(dpr, 0, 0, dpr, 0, 0);
    tctx.fillStyle = COLOR.bg;
    tctx.fillRect(0, 0, cssW + 1, cssH + 1);

    // Faint grid, one square per scale-bar distance.
    var step = page.niceDistance(v.mpp * page.scaleBarMaxPx()) / v.mpp;
    if (step >= 12) {
      tctx.beginPath();
      var k0 = Math.ceil(-v.cx / step), k1 = Math.floor((cssW - v.cx) / step);
      for (var k = k0; k <= k1; k++) {
        var x = Math.round((v.cx + k * step) * dpr) / dpr + 0.5 / dpr;
        tctx.moveTo(x, 0); tctx.lineTo(x, cssH);
      }
      k0 = Math.ceil(-v.cy / step); k1 = Math.floor((cssH - v.cy) / step);
      for (k = k0; k <= k1; k++) {
        var y = Math.round((v.cy + k * step) * dpr) / dpr + 0.5 / dpr;
        tctx.moveTo(0, y); tctx.lineTo(cssW, y);
      }
      tctx.strokeStyle = COLOR.grid;
      tctx.lineWidth = 1 / dpr;
      tctx.stroke();
    }

    lastVIdx = 0;
    lastVX = v.cx + (page.lons[0] - v.lon0) * v.ax;
    lastVY = v.cy - (page.lats[0] - v.lat0) * v.ay;
    appendTrack();
  }

  function appendTrack() {
    var count = page.count, dpr = page.dpr;
    if (lastVIdx < 0 || lastVIdx >= count - 1) return;
    var v = page.view, cx = v.cx, cy = v.cy, ax = v.ax, ay = v.ay, lat0 = v.lat0, lon0 = v.lon0;
    var eps = 0.6 / dpr;
    var la = page.lats, lo = page.lons;
    var px = lastVX, py = lastVY, vi = lastVIdx, nv = 0;

    tctx.setTransform(dpr, 0, 0, dpr, 0, 0);
    tctx.strokeStyle = COLOR.track;
    tctx.lineWidth = 1.6;
    tctx.lineJoin = 'round';
    tctx.lineCap = 'round';
    tctx.beginPath();
    tctx.moveTo(px, py);
    for (var i = lastVIdx + 1; i < count; i++) {
      var x = cx + (lo[i] - lon0) * ax;
      var y = cy - (la[i] - lat0) * ay;
      var dx = x - px, dy = y - py;
      if (dx < eps && dx > -eps && dy < eps && dy > -eps) continue;
      tctx.lineTo(x, y);
      px = x; py = y; vi = i;
      // Stroke long paths in pieces: one huge path is slower to stroke.
      if (++nv === 2048) {
        tctx.stroke();
        tctx.beginPath();
        tctx.moveTo(x, y);
        nv = 0;
      }
    }
    if (nv > 0) tctx.stroke();
    lastVIdx = vi; lastVX = px; lastVY = py;
  }

  // ---- Overlay ---------------------------------------------------------------
  function roundRect(ctx, x, y, w, h, r) {
    ctx.beginPath();
    ctx.moveTo(x + r, y);
    ctx.arcTo(x + w, y, x + w, y + h, r);
    ctx.arcTo(x + w, y + h, x, y + h, r);
    ctx.arcTo(x, y + h, x, y, r);
    ctx.arcTo(x, y, x + w, y, r);
    ctx.closePath();
  }

  function panel(ctx, x, y, w, h) {
    roundRect(ctx, x + 0.5, y + 0.5, w, h, 6);
    ctx.fillStyle = COLOR.panel;
    ctx.fill();
    ctx.strokeStyle = COLOR.panelEdge;
    ctx.lineWidth = 1;
    ctx.stroke();
  }

  function formatCoord(v, pos, neg) {
    return Math.abs(v).toFixed(6) + ' ' + (v < 0 ? neg : pos);
  }

  function formatCount(n) {
    return String(n).replace(/\B(?=(\d{3})+(?!\d))/g, ',');
  }

  function drawTail(ctx) {
    var v = page.view, count = page.count, lats = page.lats, lons = page.lons;
    var start = Math.max(0, count - TAIL_POINTS);
    if (count - start < 2) return;
    ctx.beginPath();
    ctx.moveTo(v.cx + (lons[start] - v.lon0) * v.ax, v.cy - (lats[start] - v.lat0) * v.ay);
    for (var i = start + 1; i < count; i++) {
      ctx.lineTo(v.cx + (lons[i] - v.lon0) * v.ax, v.cy - (lats[i] - v.lat0) * v.ay);
    }
    ctx.strokeStyle = COLOR.tail;
    ctx.lineWidth = 3;
    ctx.lineJoin = 'round';
    ctx.lineCap = 'round';
    ctx.stroke();
  }

  // A small ring where the track began.
  function drawStart(ctx) {
    if (page.count < 2) return;
    var v = page.view;
    var x = v.cx + (page.lons[0] - v.lon0) * v.ax;
    var y = v.cy - (page.lats[0] - v.lat0) * v.ay;
    ctx.beginPath();
    ctx.arc(x, y, 4, 0, 2 * Math.PI);
    ctx.fillStyle = '#ffffff';
    ctx.fill();
    ctx.strokeStyle = COLOR.track;
    ctx.lineWidth = 2;
    ctx.stroke();
  }

  function drawMarker(ctx) {
    var v = page.view, last = page.count - 1;
    var x = v.cx + (page.lons[last] - v.lon0) * v.ax;
    var y = v.cy - (page.lats[last] - v.lat0) * v.ay;

    ctx.beginPath();
    ctx.arc(x, y, 13, 0, 2 * Math.PI);
    ctx.fillStyle = COLOR.halo;
    ctx.fill();

    if (isFinite(page.curHeading)) {
      // Canvas y grows downward, so rotate() turns clockwise on screen,
      // which is how headings turn.
      ctx.save();
      ctx.translate(x, y);
      ctx.rotate(page.curHeading * RAD);
      ctx.beginPath();
      ctx.moveTo(0, -25);
      ctx.lineTo(8, -9);
      ctx.lineTo(0, -12.5);
      ctx.lineTo(-8, -9);
      ctx.closePath();
      ctx.lineJoin = 'round';
      ctx.lineWidth = 2;
      ctx.strokeStyle = '#ffffff';
      ctx.stroke();
      ctx.fillStyle = COLOR.dot;
      ctx.fill();
      ctx.restore();
    }

    ctx.beginPath();
    ctx.arc(x, y, 7, 0, 2 * Math.PI);
    ctx.fillStyle = '#ffffff';
    ctx.fill();
    ctx.beginPath();
    ctx.arc(x, y, 5, 0, 2 * Math.PI);
    ctx.fillStyle = COLOR.dot;
    ctx.fill();
  }

  function drawInfo(ctx) {
    var u = page.ui(), count = page.count, curHeading = page.curHeading;
    var line1 = formatCoord(page.curLat, 'N', 'S') + ', ' + formatCoord(page.curLon, 'E', 'W');
    var h;
    if (isFinite(curHeading)) {
      h = curHeading.toFixed(1);
      if (h === '360.0') h = '0.0';
      h = 'heading ' + h + '\u00b0';
    } else {
      h = 'heading \u2014';
    }
    var line2 = h + '  \u00b7  ' + formatCount(count) + (count === 1 ? ' point' : ' points');

    var font1 = '600 ' + u.f1 + 'px ' + FONT;
    var font2 = u.f2 + 'px ' + FONT;
    ctx.font = font1;
    var w1 = ctx.measureText(line1).width;
    ctx.font = font2;
    var w2 = ctx.measureText(line2).width;
    var lh1 = Math.round(u.f1 * 1.35), lh2 = Math.round(u.f2 * 1.35);
    var bw = Math.ceil(Math.max(w1, w2)) + 2 * u.pad;
    var bh = lh1 + lh2 + u.pad * 1.4;
    var x = u.pad, y = u.pad;
    panel(ctx, x, y, bw, bh);

    ctx.textBaseline = 'middle';
    ctx.textAlign = 'left';
    ctx.fillStyle = COLOR.text;
    ctx.font = font1;
    ctx.fillText(line1, x + u.pad, y + u.pad * 0.7 + lh1 / 2);
    ctx.fillStyle = COLOR.textDim;
    ctx.font = font2;
    ctx.fillText(line2, x + u.pad, y + u.pad * 0.7 + lh1 + lh2 / 2);
  }

  function drawScaleBar(ctx) {
    var u = page.ui(), view = page.view;
    var metres = page.niceDistance(view.mpp * page.scaleBarMaxPx());
    var len = metres / view.mpp;
    var label = page.formatDistance(metres);
    var font = '600 ' + u.f2 + 'px ' + FONT;
    ctx.font = font;
    var tw = ctx.measureText(label).width;

    var x = u.pad, bottom = page.cssH - u.pad;
    var bw = Math.max(len, tw) + 16, bh = u.f2 + 20;
    panel(ctx, x, bottom - bh, bw, bh);

    var bx = Math.round(x + 8), by = Math.round(bottom - 7);
    ctx.beginPath();
    ctx.moveTo(bx, by - 6);
    ctx.lineTo(bx, by);
    ctx.lineTo(bx + len, by);
    ctx.lineTo(bx + len, by - 6);
    ctx.strokeStyle = COLOR.text;
    ctx.lineWidth = 2;
    ctx.lineJoin = 'miter';
    ctx.lineCap = 'butt';
    ctx.stroke();

    ctx.fillStyle = COLOR.text;
    ctx.textBaseline = 'alphabetic';
    ctx.textAlign = 'left';
    ctx.fillText(label, bx + 1, by - 8);
  }

  function drawNorth(ctx) {
    var u = page.ui();
    var x = page.cssW - u.pad - 14, y = u.pad + 20;
    ctx.beginPath();
    ctx.moveTo(x, y - 12);
    ctx.lineTo(x + 6, y + 5);
    ctx.lineTo(x, y + 1);
    ctx.lineTo(x - 6, y + 5);
    ctx.closePath();
    ctx.fillStyle = COLOR.textDim;
    ctx.fill();
    ctx.font = '600 ' + u.f2 + 'px ' + FONT;
    ctx.textAlign = 'center';
    ctx.textBaseline = 'alphabetic';
    ctx.fillText('N', x, y - 15);
  }

  function drawOverlay() {
    var ctx = octx, dpr = page.dpr;
    ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
    ctx.clearRect(0, 0, page.cssW + 1, page.cssH + 1);
    drawStart(ctx);
    drawTail(ctx);
    drawMarker(ctx);
    drawInfo(ctx);
    drawScaleBar(ctx);
    drawNorth(ctx);
  }

  function drawWaiting() {
    var cssW = page.cssW, cssH = page.cssH, dpr = page.dpr;
    tctx.setTransform(dpr, 0, 0, dpr, 0, 0);
    tctx.fillStyle = COLOR.bg;
    tctx.fillRect(0, 0, cssW + 1, cssH + 1);

    var ctx = octx;
    ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
    ctx.clearRect(0, 0, cssW + 1, cssH + 1);
    var u = page.ui();
    var cx = cssW / 2, cy = cssH / 2;

    // A hollow position symbol above the message.
    ctx.beginPath();
    ctx.arc(cx, cy - 34, 11, 0, 2 * Math.PI);
    ctx.strokeStyle = '#9aa4b1';
    ctx.lineWidth = 2;
    ctx.stroke();
    ctx.beginPath();
    ctx.moveTo(cx, cy - 52); ctx.lineTo(cx, cy - 46);
    ctx.moveTo(cx, cy - 22); ctx.lineTo(cx, cy - 16);
    ctx.moveTo(cx - 18, cy - 34); ctx.lineTo(cx - 12, cy - 34);
    ctx.moveTo(cx + 12, cy - 34); ctx.lineTo(cx + 18, cy - 34);
    ctx.stroke();

    ctx.textAlign = 'center';
    ctx.textBaseline = 'middle';
    ctx.fillStyle = COLOR.text;
    ctx.font = '600 ' + (u.f1 + 3) + 'px ' + FONT;
    ctx.fillText('Waiting for position\u2026', cx, cy + 2);
    ctx.fillStyle = COLOR.textDim;
    ctx.font = u.f2 + 'px ' + FONT;
    ctx.fillText('The track appears with the first fix.', cx, cy + 26);
  }

  // ---- Frame -----------------------------------------------------------------
  // The track layer is re-rendered only when the size changed or the track
  // outgrew the view; otherwise the new segments are appended to it.
  page.drawFrame = function () {
    var resized = page.syncSize();
    if (page.cssW <= 0 || page.cssH <= 0) return;
    if (page.count === 0) {
      drawWaiting();
      return;
    }
    if (resized || page.view === null || !page.bboxInView()) {
      page.fitView();
      renderTrackLayer();
    } else {
      appendTrack();
    }
    drawOverlay();
  };
})();
