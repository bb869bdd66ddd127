// SPDX-License-Identifier: GPL-3.0-or-later
// The shipped map pages in the real browser offscreen: the offline track
// page, maps/track.html, and the base map page, maps/osm.html from the
// build's maps folder (Leaflet beside it), with tiles the test writes into
// a temporary folder and names by a file: URL template.
//
// The track page draws everything into two canvases; a script put in
// before the page's own records, for the overlay canvas, the texts drawn
// and the circles' centres since its last clearing, which is what the
// overlay shows now. The drawing itself goes on unchanged, and the tests
// also read the canvases' pixels.

#include <QtTest>

#include <QRegularExpression>
#include <QUrlQuery>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <algorithm>
#include <cmath>
#include <memory>

#include "../common/PageScript.h"
#include "../common/TestTiles.h"
#include "AppTestSupport.h"
#include "BaseMapSettings.h"
#include "WebBrowser2.h"

using namespace orvane;

namespace {
// Runs before any script of the page.
const char* const kOverlayRecorder = R"(
(function () {
  'use strict';
  var proto = CanvasRenderingContext2D.prototype;
  var shown = { texts: [], arcs: [] };
  window.overlayShown = shown;
  function onOverlay(ctx) { return ctx.canvas && ctx.canvas.id === 'overlay'; }
  var clearRect = proto.clearRect, fillText = proto.fillText, arc = proto.arc;
  proto.clearRect = function () {
    if (onOverlay(this)) { shown.texts = []; shown.arcs = []; }
    return clearRect.apply(this, arguments);
  };
  proto.fillText = function (text) {
    if (onOverlay(this)) shown.texts.push(String(text));
    return fillText.apply(this, arguments);
  };
  proto.arc = function (x, y, r) {
    if (onOverlay(this)) shown.arcs.push([x, y, r]);
    return arc.apply(this, arguments);
  };
})();
)";

// Metres per degree of latitude on the mean Earth radius.
constexpr double kMetresPerDegree = 6371008.8 * M_PI / 180.0;
constexpr double kRad = M_PI / 180.0;

// The metres of a scale bar label ("20 m", "1.5 km", "0.5 m"), or -1.
double LabelMetres(const QString& label)
{
    static const QRegularExpression pattern("^(\\d+(?:\\.\\d+)?) (m|km)$");
    const QRegularExpressionMatch match = pattern.match(label);
    if (!match.hasMatch())
        return -1;
    return match.captured(1).toDouble() * (match.captured(2) == "km" ? 1000.0 : 1.0);
}

struct Rgba {
    int r = 0, g = 0, b = 0, a = 0;
    QString Text() const { return QString("%1,%2,%3,%4").arg(r).arg(g).arg(b).arg(a); }
};

constexpr double kLat = 37.5554652;
constexpr double kLon = 126.9715542;

}  // namespace

class TestMapPages : public QObject {
    Q_OBJECT

    QTemporaryDir m_Tiles;
    std::unique_ptr<CWebBrowser2> m_Browser;
    int m_Loads = 0;

    QVariant Evaluate(const QString& script, int timeoutMs = 10000)
    {
        return EvaluateInPage(*m_Browser, script, timeoutMs).value_or(QStringLiteral("<no answer>"));
    }

    int PointCount() { return Evaluate("trackPointCount()").toInt(); }

    // The texts the overlay shows now, in drawing order.
    QStringList Texts() { return Evaluate("window.overlayShown.texts").toStringList(); }

    // The centre of the first circle of the radius on the overlay now, in
    // CSS pixels; the marker's halo has radius 13, the start ring 4.
    QPointF CircleCentre(int radius)
    {
        const QVariantList c = Evaluate(
            QString("window.overlayShown.arcs.find(function (a) { return a[2] === %1; }) || [-1, -1]").arg(radius))
                                   .toList();
        return QPointF(c.value(0).toDouble(), c.value(1).toDouble());
    }

    // The darkest pixel of a canvas within a square of side 2 * reach + 1
    // device pixels around a point: a thin line may fall between pixels,
    // each of which it then covers only in part.
    Rgba Darkest(const char* canvas, QPointF at, int reach)
    {
        const QVariantList p = Evaluate(
            QString(
                "(function () { var d = window.devicePixelRatio || 1;"
                " var c = document.getElementById('%1').getContext('2d');"
                " var r = %4, p = c.getImageData(Math.round(%2 * d) - r, Math.round(%3 * d) - r, 2 * r + 1, 2 * r + 1).data;"
                " var best = 0;"
                " for (var i = 4; i < p.length; i += 4)"
                "   if (p[i] + p[i + 1] + p[i + 2] < p[best] + p[best + 1] + p[best + 2]) best = i;"
                " return Array.from(p.slice(best, best + 4)); })()")
                .arg(canvas)
                .arg(at.x(), 0, 'f', 3)
                .arg(at.y(), 0, 'f', 3)
                .arg(reach))
                                   .toList();
        return {p.value(0).toInt(), p.value(1).toInt(), p.value(2).toInt(), p.value(3).toInt()};
    }

    // The pixel of a canvas at a point in CSS pixels.
    Rgba Pixel(const char* canvas, QPointF at) { return Darkest(canvas, at, 0); }

    // The scale bar's label: the one overlay text that reads as a distance.
    QString ScaleLabel()
    {
        for (const QString& text : Texts()) {
            if (LabelMetres(text) > 0)
                return text;
        }
        return QString();
    }

    QVariantMap Tiles() { return Evaluate("tileState()").toMap(); }
    QVariantMap Marker() { return Evaluate("markerState()").toMap(); }
    QString Notice()
    {
        return Evaluate("getComputedStyle(notice).display === 'none' ? '' : notice.textContent").toString();
    }

    QString Template(const QString& folder) const
    {
        return QUrl::fromLocalFile(folder).toString() + "/{z}/{x}/{y}.png";
    }

    // Loads the page, with ?tiles=template unless the template is empty.
    bool LoadOsm(const QString& tiles)
    {
        QSignalSpy loaded(m_Browser.get(), &CWebBrowser2::LoadFinished);
        QUrl url = QUrl::fromLocalFile(ORVANE_OSM_PAGE);
        QUrlQuery query;
        query.addQueryItem("load", QString::number(++m_Loads));
        if (!tiles.isEmpty())
            query.addQueryItem("tiles", tiles);
        url.setQuery(query);
        m_Browser->Navigate2(url);
        return loaded.wait(20000) && loaded.first().first().toBool() &&
               m_Browser->View()->title() == "Orvane base map" && Evaluate("trackPointCount()").toInt() == 0;
    }

    void SetCurPos(double lat, double lon, double heading)
    {
        Evaluate(QString("setCurPos(%1, %2, %3)").arg(ScriptNumber(lat), ScriptNumber(lon), ScriptNumber(heading)));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo::exists(ORVANE_TRACK_PAGE), ORVANE_TRACK_PAGE);
        QVERIFY2(QFileInfo::exists(QFileInfo(ORVANE_OSM_PAGE).dir().filePath("leaflet/leaflet.js")),
            "Leaflet beside the page (libjs-leaflet)");
        QVERIFY(WriteTestTiles(m_Tiles.path(), kLat, kLon, 17, 4));
        m_Browser = std::make_unique<CWebBrowser2>();
        QWebEngineScript recorder;
        recorder.setName("overlay recorder");
        recorder.setSourceCode(QString::fromLatin1(kOverlayRecorder));
        recorder.setInjectionPoint(QWebEngineScript::DocumentCreation);
        recorder.setWorldId(QWebEngineScript::MainWorld);
        recorder.setRunsOnSubFrames(false);
        m_Browser->View()->page()->scripts().insert(recorder);
        m_Browser->resize(800, 600);
        m_Browser->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_Browser.get()));
    }

    // Every test starts on a page of its own.
    void init()
    {
        QSignalSpy loaded(m_Browser.get(), &CWebBrowser2::LoadFinished);
        QUrl url = QUrl::fromLocalFile(ORVANE_TRACK_PAGE);
        url.setQuery(QString("load=%1").arg(++m_Loads));
        m_Browser->Navigate2(url);
        QVERIFY(loaded.wait(20000));
        QCOMPARE(loaded.first().first().toBool(), true);
        QCOMPARE(m_Browser->View()->title(), QString("Orvane track"));
        QCOMPARE(PointCount(), 0);
    }

    void cleanupTestCase() { m_Browser.reset(); }

    // Before the first position the page says it waits, and draws no
    // marker or scale bar.
    void waitsForTheFirstPosition()
    {
        QTRY_VERIFY(Texts().contains(QString("Waiting for position\u2026")));
        QCOMPARE(ScaleLabel(), QString());
        QCOMPARE(CircleCentre(13), QPointF(-1, -1));
    }

    // Each usable position joins the track; the coordinates and the count
    // show the last one. Unusable calls are left out.
    void positionsDrawn_data()
    {
        QTest::addColumn<QString>("calls");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("coordinates");
        QTest::addColumn<QString>("second");
        QTest::addColumn<double>("extent");  // metres, the longer side of the track's box
        QTest::newRow("north east") << "setCurPos(37.5, 127.25, 90); setCurPos(37.5005, 127.2507, 90.5);" << 2
                                    << "37.500500 N, 127.250700 E" << QString("heading 90.5\u00b0  \u00b7  2 points")
                                    << 62.0;
        QTest::newRow("south west") << "setCurPos(-33.75, -70.5, 271.25); setCurPos(-33.7502, -70.5031, 271.25);"
                                       " setCurPos(-33.7504, -70.5062, 271.25);"
                                    << 3 << "33.750400 S, 70.506200 W"
                                    << QString("heading 271.3\u00b0  \u00b7  3 points") << 573.0;
        QTest::newRow("numeric strings")
            << "setCurPos('48.1173', '11.516667', '12.5'); setCurPos('48.118', '11.517', '12.5');" << 2
            << "48.118000 N, 11.517000 E" << QString("heading 12.5\u00b0  \u00b7  2 points") << 78.0;
        QTest::newRow("across the antimeridian")
            << "setCurPos(-16.5, 179.9995, 90); setCurPos(-16.5, -179.9995, 90);" << 2 << "16.500000 S, 179.999500 W"
            << QString("heading 90.0\u00b0  \u00b7  2 points") << 107.0;
        QTest::newRow("unusable calls left out")
            << "setCurPos(10, 20, 30); setCurPos(10.001, 20.001, 31); setCurPos(91, 20, 30); setCurPos(-91, 20, 30);"
               " setCurPos(10, 181, 30); setCurPos(10, -181, 30); setCurPos(NaN, 20, 30); setCurPos(10, NaN, 30);"
               " setCurPos(10, Infinity, 30); setCurPos('x', 20, 30); setCurPos('', 20, 30); setCurPos(null, 20, 30);"
            << 2 << "10.001000 N, 20.001000 E" << QString("heading 31.0\u00b0  \u00b7  2 points") << 111.0;
    }
    void positionsDrawn()
    {
        QFETCH(QString, calls);
        QFETCH(int, count);
        QFETCH(QString, coordinates);
        QFETCH(QString, second);
        QFETCH(double, extent);
        Evaluate(calls);
        QCOMPARE(PointCount(), count);
        QTRY_COMPARE(Texts().mid(0, 2), (QStringList{coordinates, second}));
        // The scale fits the track's size; the view spans 120 m at least.
        const double scale = LabelMetres(ScaleLabel());
        QVERIFY2(scale >= extent / 20 && scale <= std::max(extent, 120.0),
            qPrintable(QString("%1 for a track of %2 m").arg(ScaleLabel()).arg(extent)));

        // The track runs from the start ring to the marker: the middle of
        // the way is on the newest part of the track (orange, overlay) and
        // on the whole track (dark grey, below it).
        const QPointF start = CircleCentre(4);
        const QPointF marker = CircleCentre(13);
        QVERIFY(start.x() >= 0 && marker.x() >= 0);
        QVERIFY2(QLineF(start, marker).length() > 100, "the track fills the view");
        const QPointF middle = (start + marker) / 2;
        const Rgba tail = Pixel("overlay", middle);
        QVERIFY2(tail.a > 200 && tail.r > 180 && tail.g < 140 && tail.b < 80, qPrintable(tail.Text()));
        const Rgba track = Darkest("track", middle, 2);
        QVERIFY2(track.r < 140 && track.g < 140 && track.b < 150, qPrintable(track.Text()));
        // 40 px aside of the track, the track layer shows its background.
        const QLineF way(start, marker);
        const QPointF aside40 = middle + QPointF(-way.dy(), way.dx()) * (40 / way.length());
        const Rgba aside = Darkest("track", aside40, 2);
        QVERIFY2(aside.r > 200 && aside.g > 200 && aside.b > 200, qPrintable(aside.Text()));
    }

    // The heading is written under the coordinates and drawn as an arrow
    // from the marker, clockwise from north; without a usable heading the
    // text has a dash and no arrow is drawn.
    void heading_data()
    {
        QTest::addColumn<double>("heading");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("arrow");  // degrees, NaN: none
        QTest::newRow("north") << 0.0 << "heading 0.0\u00b0" << 0.0;
        QTest::newRow("negative") << -90.0 << "heading 270.0\u00b0" << 270.0;
        QTest::newRow("past a turn") << 450.0 << "heading 90.0\u00b0" << 90.0;
        QTest::newRow("rounds to a whole turn") << 359.96 << "heading 0.0\u00b0" << 359.96;
        QTest::newRow("unknown") << qQNaN() << "heading \u2014" << qQNaN();
    }
    void heading()
    {
        QFETCH(double, heading);
        QFETCH(QString, text);
        QFETCH(double, arrow);
        SetCurPos(37.555465, 126.971554, heading);
        QCOMPARE(PointCount(), 1);
        QTRY_COMPARE(Texts().value(1), text + "  \u00b7  1 point");

        // Points on the arrow's axis, 18 px from the marker: inside the
        // arrow on the side it points to, clear on the other side.
        const QPointF marker = CircleCentre(13);
        QVERIFY(marker.x() > 0);
        const double a = std::isnan(arrow) ? 0.0 : arrow * kRad;
        const QPointF ahead = marker + QPointF(18 * std::sin(a), -18 * std::cos(a));
        const QPointF behind = marker - QPointF(18 * std::sin(a), -18 * std::cos(a));
        const Rgba tip = Pixel("overlay", ahead);
        const Rgba back = Pixel("overlay", behind);
        QCOMPARE(back.a, 0);
        if (std::isnan(arrow)) {
            QCOMPARE(tip.a, 0);
        } else {
            // The marker's blue, #1a73e8, opaque.
            QVERIFY2(tip.a == 255 && tip.r == 0x1a && tip.g == 0x73 && tip.b == 0xe8, qPrintable(tip.Text()));
        }
    }

    // The scale bar shows a round distance that grows with the track:
    // a straight track east is made ten times longer at each step.
    void scaleBarFollowsTheExtent()
    {
        const double lat = 37.5, lon = 127.0;
        const double metresPerLonDegree = kMetresPerDegree * std::cos(lat * kRad);
        SetCurPos(lat, lon, 90);
        QTRY_VERIFY(!ScaleLabel().isEmpty());
        double previous = LabelMetres(ScaleLabel());
        QVERIFY(previous > 0);
        int step = 0;
        for (double extent = 1000; extent <= 1e6; extent *= 10) {
            ++step;
            SetCurPos(lat, lon + extent / metresPerLonDegree, 90);
            QCOMPARE(PointCount(), step + 1);
            // Shown once the frame after the call is drawn.
            QTRY_COMPARE(Texts().value(1), QString("heading 90.0\u00b0  \u00b7  %1 points").arg(step + 1));
            const QString label = ScaleLabel();
            const double metres = LabelMetres(label);
            // The bar is a part of the view, which holds the track with room.
            QVERIFY2(metres >= extent / 20 && metres <= extent / 2,
                qPrintable(QString("%1 for a track of %2 m").arg(label).arg(extent)));
            QVERIFY2(metres > previous, qPrintable(QString("%1 after %2 m").arg(label).arg(previous)));
            previous = metres;
        }
        QCOMPARE(ScaleLabel().endsWith(" km"), true);
    }

    // 100,000 positions in one script call are all kept; the page then
    // draws them, shows the count and goes on taking positions.
    void hundredThousandPoints()
    {
        const QVariant kept = Evaluate(
            "(function () { for (var i = 0; i < 100000; i++)"
            " setCurPos(37.5 + 0.02 * Math.sin(i / 900), 127.0 + 0.03 * Math.cos(i / 1300) + i * 2e-7, i % 360);"
            " return trackPointCount(); })()",
            60000);
        QCOMPARE(kept.toInt(), 100000);
        QTRY_VERIFY_WITH_TIMEOUT(Texts().value(1).endsWith("100,000 points"), 30000);
        QVERIFY(!ScaleLabel().isEmpty());

        SetCurPos(37.6, 127.1, 12.5);
        QCOMPARE(PointCount(), 100001);
        QTRY_COMPARE(Texts().mid(0, 2),
            (QStringList{"37.600000 N, 127.100000 E", QString("heading 12.5\u00b0  \u00b7  100,001 points")}));
    }

    // The tiles of the template appear under the track, and the marker
    // moves with each position, turned to its heading, the view following.
    void tilesAndMovingMarker()
    {
        QVERIFY(LoadOsm(Template(m_Tiles.path())));
        QCOMPARE(Evaluate("document.getElementById('status').textContent").toString(),
            QString("Waiting for position\u2026"));
        SetCurPos(kLat, kLon, 45);
        QTRY_VERIFY_WITH_TIMEOUT(Tiles().value("loaded").toInt() >= 6, 10000);
        QCOMPARE(Tiles().value("failed").toInt(), 0);
        QCOMPARE(Notice(), QString());
        // Drawn images of the folder's tiles, whole.
        const QString shown =
            "Array.from(document.querySelectorAll('img.leaflet-tile-loaded'))"
            ".filter(function (i) { return i.naturalWidth === 256 && i.src.indexOf('%1/17/') === 0; }).length";
        QVERIFY(Evaluate(shown.arg(QUrl::fromLocalFile(m_Tiles.path()).toString())).toInt() >= 6);

        QVariantMap marker = Marker();
        QCOMPARE(marker.value("lat").toDouble(), kLat);
        QCOMPARE(marker.value("lon").toDouble(), kLon);
        QCOMPARE(marker.value("x").toDouble(), 400.0);
        QCOMPARE(marker.value("y").toDouble(), 300.0);
        QCOMPARE(marker.value("transform").toString(), QString("rotate(45deg)"));
        const double left = marker.value("left").toDouble();

        // 0.001 degrees further north-east: the map moves, the marker stays
        // in the middle at the new position.
        SetCurPos(kLat + 0.001, kLon + 0.001, 90);
        marker = Marker();
        QCOMPARE(marker.value("lat").toDouble(), kLat + 0.001);
        QCOMPARE(marker.value("x").toDouble(), 400.0);
        QCOMPARE(marker.value("transform").toString(), QString("rotate(90deg)"));
        QCOMPARE(marker.value("left").toDouble(), left);
        QCOMPARE(Evaluate("trackPointCount()").toInt(), 2);
        QVERIFY(Evaluate("trackPath()").toString().contains('L'));
    }

    // A drag by the user stops the following: the marker then moves across
    // the still map, until Follow brings it back to the middle.
    void panStopsFollowing()
    {
        QVERIFY(LoadOsm(Template(m_Tiles.path())));
        SetCurPos(kLat, kLon, 0);
        // A drag of 100 pixels right and 50 down; the button is let go two
        // frames later, once the map has followed the pointer.
        Evaluate(
            "(function () { var c = document.querySelector('.leaflet-container');"
            " function send(type, x, y) { c.dispatchEvent(new MouseEvent(type,"
            "   { bubbles: true, cancelable: true, clientX: x, clientY: y, button: 0, buttons: 1 })); }"
            " send('mousedown', 400, 300); send('mousemove', 420, 310); send('mousemove', 500, 350);"
            " requestAnimationFrame(function () { requestAnimationFrame(function () {"
            "   send('mouseup', 500, 350); }); }); })()");
        QTRY_VERIFY(Marker().value("y").toDouble() > 330);
        QTRY_COMPARE(Evaluate("isFollowing()").toBool(), false);
        QCOMPARE(Evaluate("getComputedStyle(follow).display").toString(), QString("block"));
        // 0.001 degrees east is about 93 pixels at zoom 17 here.
        SetCurPos(kLat, kLon + 0.001, 0);
        // Both points at one moment, should the map still glide.
        const QVariantList now = Evaluate(QString("(function () { var m = markerState(), b = containerPoint(%1, %2);"
                                                  " return [m.x, m.y, b.x]; })()")
                                              .arg(ScriptNumber(kLat), ScriptNumber(kLon)))
                                     .toList();
        QVERIFY2(now.value(1).toDouble() > 330, qPrintable(now.value(1).toString()));
        const double step = now.value(0).toDouble() - now.value(2).toDouble();
        QVERIFY2(step > 85 && step < 100, qPrintable(QString::number(step)));
        Evaluate("follow.click()");
        QCOMPARE(Evaluate("isFollowing()").toBool(), true);
        QCOMPARE(Marker().value("x").toDouble(), 400.0);
        QCOMPARE(Marker().value("y").toDouble(), 300.0);
        QCOMPARE(Marker().value("lon").toDouble(), kLon + 0.001);
    }

    // Without tiles the track and the marker are drawn on a blank ground,
    // and the page says the tiles are unavailable.
    void withoutTiles()
    {
        QTemporaryDir empty;
        QVERIFY(LoadOsm(Template(empty.path())));
        SetCurPos(kLat, kLon, 10);
        SetCurPos(kLat + 0.0005, kLon, 10);
        QTRY_VERIFY(Tiles().value("failed").toInt() > 0);
        QCOMPARE(Tiles().value("loaded").toInt(), 0);
        QTRY_VERIFY(Notice().contains("tiles are unavailable"));
        QVERIFY(Evaluate("trackPath()").toString().contains('L'));
        QCOMPARE(Marker().value("lat").toDouble(), kLat + 0.0005);
    }

    // Unless the address names tiles, the page takes the program's
    // setting (config.ini [basemap] tiles), else OpenStreetMap's own.
    void tileTemplateSources()
    {
        QVERIFY(LoadOsm(QString()));
        QCOMPARE(Tiles().value("template").toString(), QString("https://tile.openstreetmap.org/{z}/{x}/{y}.png"));
        QVERIFY(Evaluate("document.querySelector('.leaflet-control-attribution').textContent")
                    .toString()
                    .contains("OpenStreetMap contributors"));
        const QString configured = "file:///srv/tiles/{z}/{x}/{y}.png?quote='\"&x=1";
        ApplyTileUrl(*m_Browser, configured);
        QVERIFY(LoadOsm(QString()));
        QCOMPARE(Tiles().value("template").toString(), configured);
        QVERIFY(LoadOsm(Template(m_Tiles.path())));
        QCOMPARE(Tiles().value("template").toString(), Template(m_Tiles.path()));
        ApplyTileUrl(*m_Browser, QString());
        QVERIFY(LoadOsm(QString()));
        QCOMPARE(Tiles().value("template").toString(), QString("https://tile.openstreetmap.org/{z}/{x}/{y}.png"));
    }

    // config.ini's [basemap] tiles reaches the page the map switch-on loads.
    void configuredTilesReachTheMap()
    {
        QTemporaryDir folder;
        const QString tiles = Template(m_Tiles.path());
        QVERIFY(UseConfig(folder,
            QString("[map]\ncount=1\nurl1=%1\n[basemap]\ntiles=%2\n").arg(ORVANE_OSM_PAGE, tiles).toUtf8()));
        COrvaneDlg dialog;
        dialog.show();
        Button(dialog, IDC_ENABLE_MAP)->click();
        CWebBrowser2& map = *dialog.Browser();
        QVERIFY(WaitInEventLoop([&] { return !map.Busy(); }, 20000));
        QCOMPARE(EvaluateInPage(map, "tileState().template", 10000).value_or(QString()).toString(), tiles);
        SetConfigFolder(QString());
    }
};

ORVANE_PAGE_TEST_MAIN(TestMapPages)
#include "tst_mappages.moc"
