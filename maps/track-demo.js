// SPDX-License-Identifier: GPL-3.0-or-later
// Offline track view, part 3 of 3: the built-in demo drive (?demo, ?demo=N),
// fed through setCurPos() as the application would, and the first frame.
(function () {
  'use strict';

  var RAD = window.trackPage.RAD;
  var M_PER_DEG = window.trackPage.M_PER_DEG;

  // A deterministic city drive: straight blocks, right-angle turns, a few
  // gentle curves, and a little receiver noise.
  function demoDrive(n) {
    var seed = 20240517;
    function rnd() {
      seed = (seed + 0x6D2B79F5) | 0;
      var t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
      t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
      return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
    }
    var lat = 37.555465, lon = 126.971554, hdg = 172;
    var target = hdg, speed = 9, left = 25 + rnd() * 30;
    for (var i = 0; i < n; i++) {
      left -= 1;
      if (left <= 0) {
        var r = rnd();
        if (r < 0.35) target = hdg + 90;
        else if (r < 0.7) target = hdg - 90;
        else target = hdg + (rnd() - 0.5) * 50;
        left = 15 + rnd() * 40;
      }
      var diff = ((target - hdg + 540) % 360) - 180;
      hdg += Math.max(-15, Math.min(15, diff));
      hdg = (hdg + 360) % 360;
      speed = Math.max(2, Math.min(16, speed + (rnd() - 0.5) * 1.5));
      lat += speed * Math.cos(hdg * RAD) / M_PER_DEG;
      lon += speed * Math.sin(hdg * RAD) / (M_PER_DEG * Math.cos(lat * RAD));
      var nlat = lat + (rnd() - 0.5) * 1.2 / M_PER_DEG;
      var nlon = lon + (rnd() - 0.5) * 1.2 / (M_PER_DEG * Math.cos(lat * RAD));
      window.setCurPos(nlat, nlon, hdg);
    }
  }

  var demo = null;
  try { demo = new URLSearchParams(window.location.search).get('demo'); } catch (e) { demo = null; }
  if (demo !== null) {
    var n = parseInt(demo, 10);
    if (!(n > 1)) n = 400;
    demoDrive(Math.min(n, 1000000));
  }

  window.trackPage.schedule();
})();
