// The map view and the secondary map window with the real browser,
// offscreen. The test pages record every setCurPos call in window.calls;
// the test reads them back through script.

#include <QtTest>

#include <QComboBox>
#include <QMimeData>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEngineView>

#include "../common/PageScript.h"
#include "AppTestSupport.h"
#include "SecondaryMapDlg.h"
#include "WebBrowser2.h"

using namespace orvane;

namespace {

const QByteArray kRecordingPage =
    "<!DOCTYPE html><html><head><title>recording</title><script>"
    "window.calls = [];"
    "function setCurPos(lat, lon, heading) { window.calls.push([lat, lon, heading]); }"
    "</script></head><body>rec</body></html>";

// No setCurPos; it also raises a dialog and a script error, which a
// silent browser keeps to itself.
const QByteArray kPlainPage =
    "<!DOCTYPE html><html><head><title>plain</title><script>"
    "alert('hello'); confirm('sure?'); window.notAFunction.call();"
    "</script></head><body>plain</body></html>";

// GGA, GGA (south-west), RMC with course 84.4, GGA, each with its own place.
const QByteArray kLog =
    "$GPGGA,120000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
    "$GPRMC,120000.00,A,4807.100,N,01131.100,E,0.5,84.4,230394,,,A*00\r\n"
    "$GPGGA,120001.00,3345.000,S,07030.000,W,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
    "$GPRMC,120001.00,A,3345.060,S,07030.120,W,3.0,271.25,230394,,,A*00\r\n"
    "$GPGGA,120002.00,4807.600,N,01131.600,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
    "$GPRMC,120002.00,A,4807.660,N,01131.660,E,1.0,12.5,230394,,,A*00\r\n"
    // A log is offered by the talkers that occur more than ten times.
    "$GPVTG,84.4,T,,M,0.5,N,0.9,K,A*00\r\n$GPVTG,84.4,T,,M,0.5,N,0.9,K,A*00\r\n"
    "$GPVTG,84.4,T,,M,0.5,N,0.9,K,A*00\r\n$GPVTG,84.4,T,,M,0.5,N,0.9,K,A*00\r\n"
    "$GPVTG,84.4,T,,M,0.5,N,0.9,K,A*00\r\n$GPVTG,84.4,T,,M,0.5,N,0.9,K,A*00\r\n";

// The value of a script expression in the browser's page.
QVariant Evaluate(CWebBrowser2& browser, const QString& script)
{
    return EvaluateInPage(browser, script, 10000).value_or(QStringLiteral("<no answer>"));
}

// The page's recorded calls as "lat,lon,heading" with six decimals.
QStringList Calls(CWebBrowser2& browser)
{
    const QVariant calls =
        Evaluate(browser, "window.calls ? window.calls.map(function (c) {"
                          " return c.map(function (v) { return v.toFixed(6); }).join(','); }) : null");
    return calls.toStringList();
}

bool Loaded(CWebBrowser2& browser, const QString& title)
{
    return WaitInEventLoop([&] { return !browser.Busy() && browser.View()->title() == title; }, 20000);
}

void WriteConfig(const QTemporaryDir& folder, const QByteArray& mapSection)
{
    WriteFile(folder, "config.ini", mapSection);
}

// Settings from folder, whose config.ini names one map page: the file
// name in folder, holding page.
void UseOneMapPage(const QTemporaryDir& folder, const QString& name, const QByteArray& page)
{
    SetConfigFolder(folder.path());
    WriteConfig(folder, "[map]\ncount=1\nurl1=" + WriteFile(folder, name, page).toUtf8() + "\n");
}

// A window on a log of kLog, with the given message type chosen and the
// replay running under the test's own ticks.
struct MapWindow {
    explicit MapWindow(const QTemporaryDir& folder, AnsweringSeam* seam = nullptr) : dialog(seam)
    {
        dialog.DropFiles({WriteFile(folder, "drive.nmea", kLog)});
    }

    bool Choose(const char* type)
    {
        QComboBox* messages = dialog.Combo(IDC_MESSAGE_LIST);
        const int row = messages->findText(type, Qt::MatchStartsWith);
        if (row < 0)
            return false;
        messages->setCurrentIndex(row);
        if (!dialog.State().m_Running)
            dialog.Button(IDC_RUN)->click();
        // The window's own timer would tick at its own moments; the test
        // ticks by hand so that it knows which positions were passed.
        dialog.HoldTimer(kReplayTimerId);
        return dialog.State().m_Running;
    }

    void Tick() { dialog.OnTimer(kReplayTimerId); }

    CWebBrowser2& Main() { return *dialog.Browser(); }
    CWebBrowser2& Secondary() { return *dialog.SecondaryMapDlg()->Browser(); }
    QPushButton& EnableMap() { return *dialog.Button(IDC_ENABLE_MAP); }
    QPushButton& SecondaryMap() { return *dialog.Button(IDC_SECONDARY_MAP); }

    COrvaneDlg dialog;
};

// An HTTP server for one page whose image is answered only on release,
// so that the page stays loading as long as the test wants.
class HoldingServer : public QObject {
public:
    HoldingServer()
    {
        server.listen(QHostAddress::LocalHost);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Serve(socket); });
        });
    }

    QString PageUrl() const { return QString("http://127.0.0.1:%1/page.html").arg(server.serverPort()); }

    void Release()
    {
        for (QTcpSocket* socket : held)
            socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        held.clear();
    }

    QList<QTcpSocket*> held;

private:
    void Serve(QTcpSocket* socket)
    {
        pending[socket] += socket->readAll();
        QByteArray& text = pending[socket];
        qsizetype end;
        while ((end = text.indexOf("\r\n\r\n")) >= 0) {
            const QByteArray request = text.left(end);
            text.remove(0, end + 4);
            if (request.startsWith("GET /page.html")) {
                const QByteArray body = "<!DOCTYPE html><html><head><title>held</title><script>window.calls=[];"
                                        "function setCurPos(a,b,c){window.calls.push([a,b,c]);}</script></head>"
                                        "<body><img src=\"/slow.png\"></body></html>";
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\n\r\n" + body);
            } else if (request.startsWith("GET /slow.png")) {
                held.append(socket);
            } else {
                socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
            }
        }
    }

    QTcpServer server;
    QHash<QTcpSocket*, QByteArray> pending;
};

}  // namespace

class TestMap : public QObject {
    Q_OBJECT
private slots:
    // First, while the process-wide page turn is still 0: url1, url2, url1.
    void pageTurnOverTwoUrls()
    {
        QTemporaryDir folder;
        SetConfigFolder(folder.path());
        const QString first = WriteFile(folder, "first.html", kRecordingPage);
        const QString second = WriteFile(folder, "second.html", kRecordingPage);
        WriteConfig(folder, "[map]\ncount=2\nurl1=" + first.toUtf8() + "\nurl2=" +
                                QUrl::fromLocalFile(second).toString().toUtf8() + "\n");
        MapWindow window(folder);
        QVERIFY(!window.dialog.Control(IDC_MAP_VIEW)->isEnabled());
        QVERIFY(!window.SecondaryMap().isEnabled());

        QStringList loaded;
        for (int k = 0; k < 3; ++k) {
            window.EnableMap().click();
            QCOMPARE(window.EnableMap().text(), QString("Disable Map"));
            QVERIFY(window.dialog.State().m_MapEnabled);
            QVERIFY(window.dialog.Control(IDC_MAP_VIEW)->isEnabled());
            QVERIFY(window.SecondaryMap().isEnabled());
            QVERIFY(window.dialog.SecondaryMapDlg()->Control(1139)->isEnabled());
            QVERIFY(Loaded(window.Main(), "recording"));
            loaded << window.Main().View()->url().toLocalFile();

            window.EnableMap().click();
            QCOMPARE(window.EnableMap().text(), QString("Enable Map"));
            QVERIFY(!window.dialog.State().m_MapEnabled);
            QVERIFY(!window.Main().Busy());
            QVERIFY(!window.dialog.Control(IDC_MAP_VIEW)->isEnabled());
            QVERIFY(!window.SecondaryMap().isEnabled());
            QVERIFY(!window.dialog.SecondaryMapDlg()->Control(1139)->isEnabled());
        }
        QCOMPARE(loaded, (QStringList{first, second, first}));
    }

    // count=3 with only url1: the second switch-on navigates to the empty
    // URL, and the view is usable afterwards (not busy).
    void emptyUrlNavigated()
    {
        QTemporaryDir folder;
        SetConfigFolder(folder.path());
        // Entries past the last URL read keep what they held; start empty.
        ConfigSettings.MapUrls = {};
        const QString page = WriteFile(folder, "only.html", kRecordingPage);
        WriteConfig(folder, "[map]\ncount=3\nurl1=" + page.toUtf8() + "\n");
        MapWindow window(folder);

        // The turn goes on from the previous test, so the three switch-ons
        // load a rotation of url1, url2, url3: the page and two empty URLs.
        QList<QUrl> requested;
        for (int k = 0; k < 3; ++k) {
            window.EnableMap().click();
            QVERIFY(window.dialog.State().m_MapEnabled);
            requested << window.Main().RequestedUrl();
            QVERIFY(WaitInEventLoop([&] { return !window.Main().Busy(); }, 20000));
            if (k < 2)
                window.EnableMap().click();
        }
        const QUrl blank("about:blank");
        const QUrl pageUrl = QUrl::fromLocalFile(page);
        const QList<QList<QUrl>> rotations{
            {pageUrl, blank, blank}, {blank, blank, pageUrl}, {blank, pageUrl, blank}};
        QVERIFY2(rotations.contains(requested), qPrintable(QUrl::toStringList(requested).join(' ')));
        // End on an empty URL: the view shows an empty page and is not busy.
        if (requested.last() != blank) {
            window.EnableMap().click();
            window.EnableMap().click();
            QCOMPARE(window.Main().RequestedUrl(), blank);
            QVERIFY(WaitInEventLoop([&] { return !window.Main().Busy(); }, 20000));
        }
        QCOMPARE(Evaluate(window.Main(), "document.body ? document.body.innerHTML : 'none'").toString(), QString());
    }

    // GGA positions go out with heading 0, RMC positions with their course,
    // each once and in the order decoded.
    void ggaHeadingZeroAndRmcCourse()
    {
        QTemporaryDir folder;
        UseOneMapPage(folder, "rec.html", kRecordingPage);
        MapWindow window(folder);
        window.EnableMap().click();
        QVERIFY(Loaded(window.Main(), "recording"));

        QVERIFY(window.Choose("GGA"));
        for (int k = 0; k < 3; ++k)
            window.Tick();
        window.dialog.OnSeek(0);
        QVERIFY(window.Choose("RMC"));
        for (int k = 0; k < 3; ++k)
            window.Tick();
        const QStringList expected{
            "48.117300,11.516667,0.000000",    "-33.750000,-70.500000,0.000000", "48.126667,11.526667,0.000000",
            "48.118333,11.518333,84.400000",   "-33.751000,-70.502000,271.250000",
            "48.127667,11.527667,12.500000"};
        QTRY_COMPARE_WITH_TIMEOUT(Calls(window.Main()), expected, 10000);
    }

    // While the main page loads, positions reach neither page, even an idle
    // secondary page; the first one after the load reaches both.
    void noCallWhileMainPageLoads()
    {
        QTemporaryDir folder;
        SetConfigFolder(folder.path());
        HoldingServer server;
        WriteConfig(folder, "[map]\ncount=1\nurl1=" + server.PageUrl().toUtf8() + "\n");
        AnsweringSeam seam;
        seam.answer = WriteFile(folder, "second.html", kRecordingPage);
        MapWindow window(folder, &seam);

        window.EnableMap().click();
        QVERIFY(WaitInEventLoop([&] { return !server.held.isEmpty(); }, 20000));
        QVERIFY(window.Main().Busy());
        window.SecondaryMap().click();
        QVERIFY(window.dialog.SecondaryMapDlg()->isVisible());
        window.dialog.SecondaryMapDlg()->OnLoadHtml();
        QVERIFY(Loaded(window.Secondary(), "recording"));

        QVERIFY(window.Choose("GGA"));
        window.Tick();
        window.Tick();
        QVERIFY(window.Main().Busy());
        QCOMPARE(window.Main().ScriptCalls(), 0u);
        QCOMPARE(window.Secondary().ScriptCalls(), 0u);

        server.Release();
        QVERIFY(Loaded(window.Main(), "held"));
        window.Tick();
        const QStringList third{"48.126667,11.526667,0.000000"};
        QTRY_COMPARE_WITH_TIMEOUT(Calls(window.Main()), third, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(Calls(window.Secondary()), third, 10000);
    }

    // The secondary page follows only while its window is shown and the map
    // is on; switching the map off leaves the window shown.
    void secondaryFollowsWhileShownAndMapOn()
    {
        QTemporaryDir folder;
        UseOneMapPage(folder, "main.html", kRecordingPage);
        AnsweringSeam seam;
        MapWindow window(folder, &seam);
        CGNSS_SecondaryMapDlg& secondary = *window.dialog.SecondaryMapDlg();
        QCOMPARE(secondary.windowTitle(), QString("Secondary Map"));
        QVERIFY(!secondary.isVisible());
        QVERIFY(window.Secondary().Silent());
        QVERIFY(window.Main().Silent());

        // Load a HTML works with the map off; the request names HTML files.
        seam.answer = WriteFile(folder, "second.html", kRecordingPage);
        static_cast<QPushButton*>(secondary.Control(1140))->click();
        QCOMPARE(seam.requests.size(), 1);
        QCOMPARE(seam.requests[0].filterName, QString("HTML Files"));
        QCOMPARE(seam.requests[0].pattern, QString("*.html"));
        QCOMPARE(seam.requests[0].defaultSuffix, QString("HTML"));
        QCOMPARE(seam.requests[0].initialName, QString("*.html"));
        QVERIFY(Loaded(window.Secondary(), "recording"));
        // Cancelling leaves the page as it is.
        seam.answer.clear();
        secondary.OnLoadHtml();
        QCOMPARE(seam.requests.size(), 2);
        QCOMPARE(window.Secondary().RequestedUrl(), QUrl::fromLocalFile(folder.filePath("second.html")));
        QVERIFY(!window.Secondary().Busy());

        window.EnableMap().click();
        QVERIFY(Loaded(window.Main(), "recording"));
        QVERIFY(window.Choose("RMC"));
        window.Tick();  // 1: hidden
        window.SecondaryMap().click();
        QCOMPARE(window.SecondaryMap().text(), QString("Hide a Secondary Map"));
        QVERIFY(secondary.isVisible());
        window.Tick();  // 2: shown
        window.SecondaryMap().click();
        QCOMPARE(window.SecondaryMap().text(), QString("Show a Secondary Map"));
        QVERIFY(!secondary.isVisible());
        window.Tick();  // 3: hidden
        window.SecondaryMap().click();
        window.EnableMap().click();  // map off, window stays shown
        QVERIFY(secondary.isVisible());
        QVERIFY(!secondary.Control(1139)->isEnabled());
        QCOMPARE(window.SecondaryMap().text(), QString("Hide a Secondary Map"));
        window.Tick();  // 4: map off
        window.EnableMap().click();
        QVERIFY(secondary.Control(1139)->isEnabled());
        QVERIFY(Loaded(window.Main(), "recording"));
        window.dialog.OnSeek(0);
        QVERIFY(window.Choose("RMC"));
        window.Tick();  // 5 (the first RMC again): shown, map on

        const QStringList first3{"48.118333,11.518333,84.400000", "-33.751000,-70.502000,271.250000",
                                 "48.127667,11.527667,12.500000"};
        QTRY_COMPARE_WITH_TIMEOUT(Calls(window.Secondary()), (QStringList{first3[1], first3[0]}), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(Calls(window.Main()), QStringList{first3[0]}, 10000);
    }

    // A page without setCurPos loads and shows; positions are ignored for
    // it, reported by the browser as a missing function, and no line is
    // written.
    void pageWithoutSetCurPos()
    {
        QTemporaryDir folder;
        UseOneMapPage(folder, "plain.html", kPlainPage);
        MapWindow window(folder);
        window.EnableMap().click();
        QVERIFY(Loaded(window.Main(), "plain"));
        QCOMPARE(Evaluate(window.Main(), "document.body.textContent").toString(), QString("plain"));
        QVERIFY(window.Choose("GGA"));
        const QString before = window.dialog.DisplayText();
        QSignalSpy missing(&window.Main(), &CWebBrowser2::FunctionMissing);
        window.Tick();
        QVERIFY(missing.wait(10000));
        QCOMPARE(missing.count(), 1);
        QCOMPARE(missing[0][0].toString(), QString("setCurPos"));
        QVERIFY(window.dialog.State().m_MapEnabled);
        const QStringList newLines =
            window.dialog.DisplayText().left(window.dialog.DisplayText().size() - before.size()).split("\r\n");
        QVERIFY2(!newLines.join('|').contains("setCurPos"), qPrintable(newLines.join('|')));
    }

    // setCurPos is looked up in the page's global scope: one declared with
    // const or let is not a property of window, and is called all the same.
    void globalBindingIsCalled_data()
    {
        QTest::addColumn<QByteArray>("declaration");
        QTest::newRow("function") << QByteArray("function setCurPos(a, b, c) { calls.push([a, b, c]); }");
        QTest::newRow("const") << QByteArray("const setCurPos = (a, b, c) => calls.push([a, b, c]);");
        QTest::newRow("let") << QByteArray("let setCurPos = function (a, b, c) { calls.push([a, b, c]); };");
    }
    void globalBindingIsCalled()
    {
        QFETCH(QByteArray, declaration);
        QTemporaryDir folder;
        UseOneMapPage(folder, "bound.html",
                      "<!DOCTYPE html><html><head><title>bound</title><script>window.calls = [];" + declaration +
                          "</script></head><body></body></html>");
        MapWindow window(folder);
        window.EnableMap().click();
        QVERIFY(Loaded(window.Main(), "bound"));
        QSignalSpy missing(&window.Main(), &CWebBrowser2::FunctionMissing);
        QVERIFY(window.Choose("GGA"));
        window.Tick();
        QTRY_COMPARE_WITH_TIMEOUT(Calls(window.Main()), QStringList{"48.117300,11.516667,0.000000"}, 10000);
        QCOMPARE(missing.count(), 0);
    }

    // A file dropped over the map, with the map on, loads like any drop on
    // the window; the map page stays where it was.
    void dropOverTheMapLoads()
    {
        QTemporaryDir folder;
        UseOneMapPage(folder, "rec.html", kRecordingPage);
        MapWindow window(folder);
        window.dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.dialog));
        window.EnableMap().click();
        QVERIFY(Loaded(window.Main(), "recording"));
        const QUrl page = window.Main().View()->url();

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(WriteFile(folder, "dropped.nmea", Sentences("GL", "RMC", 11)))});
        const QPoint at = window.dialog.Control(IDC_MAP_VIEW)->geometry().center();
        QWindow* handle = window.dialog.windowHandle();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(handle, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(handle, &move);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(handle, &drop);
        QCOMPARE(TopLines(window.dialog, 2), (QStringList{"Load 'dropped.nmea' OK!", "dropped.nmea"}));
        QCOMPARE(window.Main().View()->url(), page);
    }

    // The secondary window has no close box; a close request of the window
    // manager leaves it shown, as the main window's caption says.
    void secondaryCloseRequestLeavesItShown()
    {
        QTemporaryDir folder;
        UseOneMapPage(folder, "rec.html", kRecordingPage);
        MapWindow window(folder);
        window.dialog.show();
        window.EnableMap().click();
        window.SecondaryMap().click();
        QVERIFY2(window.dialog.SecondaryMapShown(), qPrintable(window.dialog.DisplayText()));
        CGNSS_SecondaryMapDlg& secondary = *window.dialog.SecondaryMapDlg();
        QVERIFY(QTest::qWaitForWindowExposed(&secondary));
        QVERIFY(!secondary.windowHandle()->close());
        QVERIFY(secondary.isVisible());
        QCOMPARE(window.SecondaryMap().text(), QString("Hide a Secondary Map"));
    }

    // Without a map section, or with a count of 0, every switch-on writes
    // the line and the map stays off.
    void noMapSectionGivesTheLineEachTime()
    {
        for (const QByteArray& config : {QByteArray("[uart]\nport=ttyS0\n"), QByteArray("[map]\ncount=0\n")}) {
            QTemporaryDir folder;
            SetConfigFolder(folder.path());
            WriteConfig(folder, config);
            COrvaneDlg dialog;
            for (int k = 0; k < 2; ++k) {
                dialog.Button(IDC_ENABLE_MAP)->click();
                QCOMPARE(TopLines(dialog, 1), QStringList{"No map URLs from \"config.ini\""});
                QCOMPARE(dialog.Button(IDC_ENABLE_MAP)->text(), QString("Enable Map"));
                QVERIFY(!dialog.Button(IDC_ENABLE_MAP)->isChecked());
                QVERIFY(!dialog.State().m_MapEnabled);
                QVERIFY(!dialog.Button(IDC_SECONDARY_MAP)->isEnabled());
                QVERIFY(!dialog.Control(IDC_MAP_VIEW)->isEnabled());
                QVERIFY(dialog.Browser()->RequestedUrl().isEmpty());
            }
        }
    }

    // A load stopped or replaced by the next navigation must not end the
    // next page's busy time: the page counts as loading until its own load
    // has ended.
    void busyUntilTheNewPageHasLoaded()
    {
        QTemporaryDir folder;
        const QUrl first = QUrl::fromLocalFile(WriteFile(folder, "first.html", kRecordingPage));
        for (const bool stopFirst : {true, false}) {
            HoldingServer server;
            CWebBrowser2 browser;
            QSignalSpy started(browser.View()->page(), &QWebEnginePage::loadStarted);
            browser.Navigate2(first);
            QVERIFY(browser.Busy());
            QVERIFY(started.wait(10000));
            if (stopFirst) {
                browser.Stop();
                QVERIFY(!browser.Busy());
            }
            browser.Navigate2(QUrl(server.PageUrl()));
            QVERIFY(browser.Busy());
            QVERIFY(WaitInEventLoop([&] { return !server.held.isEmpty(); }, 20000));
            QVERIFY2(browser.Busy(), stopFirst ? "after Stop" : "after a replaced load");
            server.Release();
            QVERIFY(Loaded(browser, "held"));
            QCOMPARE(browser.View()->url(), QUrl(server.PageUrl()));
        }
    }

    void mapUrlsFromConfig()
    {
        const QString exe = "/opt/orvane";
        QCOMPARE(MapUrlFromConfig("maps/track.html", exe), QUrl::fromLocalFile("/opt/orvane/maps/track.html"));
        QCOMPARE(MapUrlFromConfig("../m/a b.html", exe), QUrl::fromLocalFile("/opt/m/a b.html"));
        QCOMPARE(MapUrlFromConfig("/srv/map.html", exe), QUrl::fromLocalFile("/srv/map.html"));
        QCOMPARE(MapUrlFromConfig("file:///srv/map.html", exe), QUrl("file:///srv/map.html"));
        QCOMPARE(MapUrlFromConfig("https://example.org/m?x=1", exe), QUrl("https://example.org/m?x=1"));
        QCOMPARE(MapUrlFromConfig("", exe), QUrl("about:blank"));
        // A path holding "#" or "?" stays a file name.
        QCOMPARE(MapUrlFromConfig("maps/a#1.html", exe).toLocalFile(), QString("/opt/orvane/maps/a#1.html"));
    }

    void scriptNumbersReadBackExactly()
    {
        for (double v : {37.5554652, -126.9715542, 0.1, 1e-300, -0.0, 359.99999999999994}) {
            bool ok = false;
            QCOMPARE(ScriptNumber(v).toDouble(&ok), v);
            QVERIFY(ok);
        }
        QCOMPARE(ScriptNumber(std::numeric_limits<double>::quiet_NaN()), QString("NaN"));
        QCOMPARE(ScriptNumber(-std::numeric_limits<double>::infinity()), QString("-Infinity"));
    }
};

// Under AddressSanitizer: the browser engine (Chromium inside
// QtWebEngineCore) deletes some of its own objects through a pointer of
// another size when a page that has loaded is destroyed. That check is
// turned off for this test only; every other check stays, and the options
// of the environment still apply on top.
extern "C" const char* __asan_default_options()
{
    return "new_delete_type_mismatch=0";
}

int main(int argc, char** argv)
{
    // The browser's processes: no sandbox (CI runs as root), no GPU.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestMap test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_map.moc"
