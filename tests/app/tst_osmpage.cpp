// The shipped base map page, maps/osm.html from the build's maps folder
// (Leaflet beside it), in the real browser offscreen, with tiles the test
// writes into a temporary folder and names by a file: URL template.

#include <QtTest>

#include <QUrlQuery>
#include <QWebEngineView>

#include <memory>

#include "../common/PageScript.h"
#include "../common/TestTiles.h"
#include "AppTestSupport.h"
#include "BaseMapSettings.h"
#include "WebBrowser2.h"

using namespace orvane;

namespace {
constexpr double kLat = 37.5554652;
constexpr double kLon = 126.9715542;
}  // namespace

class TestOsmPage : public QObject {
    Q_OBJECT

    QTemporaryDir m_Tiles;
    std::unique_ptr<CWebBrowser2> m_Browser;
    int m_Loads = 0;

    QVariant Evaluate(const QString& script)
    {
        return EvaluateInPage(*m_Browser, script, 10000).value_or(QStringLiteral("<no answer>"));
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
    bool Load(const QString& tiles)
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
        QVERIFY2(QFileInfo::exists(ORVANE_OSM_PAGE), ORVANE_OSM_PAGE);
        QVERIFY2(QFileInfo::exists(QFileInfo(ORVANE_OSM_PAGE).dir().filePath("leaflet/leaflet.js")),
            "Leaflet beside the page (libjs-leaflet)");
        QVERIFY(WriteTestTiles(m_Tiles.path(), kLat, kLon, 17, 4));
        m_Browser = std::make_unique<CWebBrowser2>();
        m_Browser->resize(800, 600);
        m_Browser->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_Browser.get()));
    }
    void cleanupTestCase() { m_Browser.reset(); }

    // The tiles of the template appear under the track, and the marker
    // moves with each position, turned to its heading, the view following.
    void tilesAndMovingMarker()
    {
        QVERIFY(Load(Template(m_Tiles.path())));
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
        QVERIFY(Load(Template(m_Tiles.path())));
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
        QVERIFY(Load(Template(empty.path())));
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
        QVERIFY(Load(QString()));
        QCOMPARE(Tiles().value("template").toString(), QString("https://tile.openstreetmap.org/{z}/{x}/{y}.png"));
        QVERIFY(Evaluate("document.querySelector('.leaflet-control-attribution').textContent")
                    .toString()
                    .contains("OpenStreetMap contributors"));
        const QString configured = "file:///srv/tiles/{z}/{x}/{y}.png?quote='\"&x=1";
        ApplyTileUrl(*m_Browser, configured);
        QVERIFY(Load(QString()));
        QCOMPARE(Tiles().value("template").toString(), configured);
        QVERIFY(Load(Template(m_Tiles.path())));
        QCOMPARE(Tiles().value("template").toString(), Template(m_Tiles.path()));
        ApplyTileUrl(*m_Browser, QString());
        QVERIFY(Load(QString()));
        QCOMPARE(Tiles().value("template").toString(), QString("https://tile.openstreetmap.org/{z}/{x}/{y}.png"));
    }

    // config.ini's [basemap] tiles reaches the page the map switch-on loads.
    void configuredTilesReachTheMap()
    {
        QTemporaryDir folder;
        SetConfigFolder(folder.path());
        const QString tiles = Template(m_Tiles.path());
        QVERIFY(!WriteFile(folder, "config.ini",
            QString("[map]\ncount=1\nurl1=%1\n[basemap]\ntiles=%2\n").arg(ORVANE_OSM_PAGE, tiles).toUtf8())
                     .isEmpty());
        COrvaneDlg dialog;
        dialog.show();
        dialog.Button(IDC_ENABLE_MAP)->click();
        CWebBrowser2& map = *dialog.Browser();
        QVERIFY(WaitInEventLoop([&] { return !map.Busy(); }, 20000));
        QCOMPARE(EvaluateInPage(map, "tileState().template", 10000).value_or(QString()).toString(), tiles);
        SetConfigFolder(QString());
    }
};

ORVANE_PAGE_TEST_MAIN(TestOsmPage)
#include "tst_osmpage.moc"
