// SPDX-License-Identifier: GPL-3.0-or-later
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

QByteArray Page(const char* title, const QByteArray& script, const char* body = "")
{
    return "<!DOCTYPE html><html><head><title>" + QByteArray(title) + "</title><script>" + script +
           "</script></head><body>" + body + "</body></html>";
}

const QByteArray kRecorder = "window.calls = []; function setCurPos(a, b, c) { window.calls.push([a, b, c]); }";
const QByteArray kRecordingPage = Page("recording", kRecorder, "rec");

// GGA, GGA (south-west), RMC with course 84.4, GGA, each with its own place.
const QByteArray kLog =
    "$GPGGA,120000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
    "$GPRMC,120000.00,A,4807.100,N,01131.100,E,0.5,84.4,230394,,,A*00\r\n"
    "$GPGGA,120001.00,3345.000,S,07030.000,W,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
    "$GPRMC,120001.00,A,3345.060,S,07030.120,W,3.0,271.25,230394,,,A*00\r\n"
    "$GPGGA,120002.00,4807.600,N,01131.600,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
    "$GPRMC,120002.00,A,4807.660,N,01131.660,E,1.0,12.5,230394,,,A*00\r\n"
    // A log is offered by the talkers that occur more than ten times.
    + QByteArray("$GPVTG,84.4,T,,M,0.5,N,0.9,K,A*00\r\n").repeated(6);

// The positions of kLog as the page gets them: "lat,lon,heading".
const QStringList kGga{"48.117300,11.516667,0.000000", "-33.750000,-70.500000,0.000000",
    "48.126667,11.526667,0.000000"};
const QStringList kRmc{"48.118333,11.518333,84.400000", "-33.751000,-70.502000,271.250000",
    "48.127667,11.527667,12.500000"};

QVariant Evaluate(CWebBrowser2& browser, const QString& script)
{
    return EvaluateInPage(browser, script, 10000).value_or(QStringLiteral("<no answer>"));
}

// The page's recorded calls with six decimals.
QStringList Calls(CWebBrowser2& browser)
{
    return Evaluate(browser,
        "window.calls ? window.calls.map(function (c) {"
        " return c.map(function (v) { return v.toFixed(6); }).join(','); }) : null")
        .toStringList();
}

bool Loaded(CWebBrowser2& browser, const QString& title)
{
    return WaitInEventLoop([&] { return !browser.Busy() && browser.View()->title() == title; }, 20000);
}

bool NotBusy(CWebBrowser2& browser)
{
    return WaitInEventLoop([&] { return !browser.Busy(); }, 20000);
}

// Settings from folder, whose config.ini has the map section given.
void UseMapSection(const QTemporaryDir& folder, const QByteArray& section)
{
    SetConfigFolder(folder.path());
    WriteFile(folder, "config.ini", section);
}

// Settings from folder, whose config.ini names one map page: the file
// name in folder, holding page.
void UseOneMapPage(const QTemporaryDir& folder, const QString& name, const QByteArray& page)
{
    UseMapSection(folder, "[map]\ncount=1\nurl1=" + WriteFile(folder, name, page).toUtf8() + "\n");
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
        QComboBox* messages = Combo(dialog, IDC_MESSAGE_LIST);
        messages->setCurrentIndex(messages->findText(type, Qt::MatchStartsWith));
        if (!dialog.Replay().Running())
            Button(dialog, IDC_RUN)->click();
        // The test ticks by hand, so that it knows which positions passed.
        dialog.Replay().HoldTimer();
        return dialog.Replay().Running();
    }

    void Tick(int times = 1)
    {
        for (int k = 0; k < times; ++k)
            dialog.OnReplayTick();
    }

    // The map switched on, with its page loaded.
    bool MapOn(const char* title = "recording")
    {
        EnableMap().click();
        return Loaded(Main(), title);
    }

    CWebBrowser2& Main() { return *dialog.Browser(); }
    CWebBrowser2& Secondary() { return *dialog.SecondaryMapDlg()->Browser(); }
    QPushButton& EnableMap() { return *Button(dialog, IDC_ENABLE_MAP); }
    QPushButton& SecondaryMap() { return *Button(dialog, IDC_SECONDARY_MAP); }

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
        QByteArray& text = pending[socket];
        text += socket->readAll();
        for (qsizetype end; (end = text.indexOf("\r\n\r\n")) >= 0; text.remove(0, end + 4)) {
            if (text.startsWith("GET /page.html")) {
                const QByteArray body = Page("held", kRecorder, "<img src=\"/slow.png\">");
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\n\r\n" + body);
            } else if (text.startsWith("GET /slow.png")) {
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
    // First, while the process-wide page turn is still 0: count=3 with two
    // URLs turns url1, url2, the empty URL, url1. The view, the secondary
    // map button and the secondary view follow the switch; each page, the
    // empty one too, leaves the view usable (not busy).
    void pageTurnOverTheUrls()
    {
        QTemporaryDir folder;
        const QString first = WriteFile(folder, "first.html", kRecordingPage);
        const QString second = WriteFile(folder, "second.html", kRecordingPage);
        UseMapSection(folder, "[map]\ncount=3\nurl1=" + first.toUtf8() +
                                  "\nurl2=" + QUrl::fromLocalFile(second).toString().toUtf8() + "\n");
        MapWindow window(folder);
        const auto verifyMap = [&](bool on) {
            QCOMPARE(window.EnableMap().text(), QString(on ? "Disable Map" : "Enable Map"));
            QCOMPARE(window.EnableMap().isChecked(), on);
            QCOMPARE(Find<QWidget>(window.dialog, IDC_MAP_VIEW)->isEnabled(), on);
            QCOMPARE(window.SecondaryMap().isEnabled(), on);
            QCOMPARE(window.dialog.SecondaryMapDlg()->Control(1139)->isEnabled(), on);
        };
        QVERIFY(!Find<QWidget>(window.dialog, IDC_MAP_VIEW)->isEnabled() && !window.SecondaryMap().isEnabled());
        QList<QUrl> loaded;
        for (int k = 0; k < 4; ++k) {
            QVERIFY(k == 2 ? (window.EnableMap().click(), NotBusy(window.Main())) : window.MapOn());
            verifyMap(true);
            loaded << window.Main().View()->url();
            if (k == 2)
                QCOMPARE(Evaluate(window.Main(), "document.body ? document.body.innerHTML : 'none'").toString(), "");
            window.EnableMap().click();
            verifyMap(false);
            QVERIFY(!window.Main().Busy());
        }
        QCOMPARE(loaded, (QList<QUrl>{QUrl::fromLocalFile(first), QUrl::fromLocalFile(second), QUrl("about:blank"),
                             QUrl::fromLocalFile(first)}));
    }

    // GGA positions go out with heading 0, RMC positions with their course,
    // each once and in the order decoded. Files dropped over the map then
    // load like any drop on the window; the map page stays where it was.
    void ggaHeadingZeroAndRmcCourseThenDrop()
    {
        QTemporaryDir folder;
        UseOneMapPage(folder, "rec.html", kRecordingPage);
        MapWindow window(folder);
        window.dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.dialog));
        QVERIFY(window.MapOn());
        QVERIFY(window.Choose("GGA"));
        window.Tick(3);
        window.dialog.OnSeek(0);
        QVERIFY(window.Choose("RMC"));
        window.Tick(3);
        QTRY_COMPARE_WITH_TIMEOUT(Calls(window.Main()), kGga + kRmc, 10000);

        const QUrl page = window.Main().View()->url();
        QMimeData data;
        // Of more files, the first is taken.
        data.setUrls({QUrl::fromLocalFile(WriteFile(folder, "dropped.nmea", Sentences("GL", "RMC", 11))),
            QUrl::fromLocalFile(WriteFile(folder, "second.nmea", Sentences("GP", "RMC", 11)))});
        const QPoint at = Find<QWidget>(window.dialog, IDC_MAP_VIEW)->geometry().center();
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

    // While the main page loads, positions reach neither page, even an idle
    // secondary page; the first one after the load reaches both.
    void noCallWhileMainPageLoads()
    {
        QTemporaryDir folder;
        HoldingServer server;
        UseMapSection(folder, "[map]\ncount=1\nurl1=" + server.PageUrl().toUtf8() + "\n");
        AnsweringSeam seam;
        seam.answer = WriteFile(folder, "second.html", kRecordingPage);
        MapWindow window(folder, &seam);

        window.EnableMap().click();
        QVERIFY(WaitInEventLoop([&] { return !server.held.isEmpty(); }, 20000));
        window.SecondaryMap().click();
        window.dialog.SecondaryMapDlg()->OnLoadHtml();
        QVERIFY(Loaded(window.Secondary(), "recording"));

        QVERIFY(window.Choose("GGA"));
        window.Tick(2);
        QVERIFY(window.Main().Busy());
        QCOMPARE(window.Main().ScriptCalls() + window.Secondary().ScriptCalls(), 0u);

        server.Release();
        QVERIFY(Loaded(window.Main(), "held"));
        window.Tick();
        QTRY_COMPARE_WITH_TIMEOUT(Calls(window.Main()), kGga.mid(2), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(Calls(window.Secondary()), kGga.mid(2), 10000);
    }

    // The secondary page follows only while its window is shown and the map
    // is on; switching the map off leaves the window shown. Its Load a HTML
    // asks for HTML files and works with the map off; cancelled, it leaves
    // the page. The window has no close box; a close request of the window
    // manager leaves it shown, as the main window's caption says.
    void secondaryFollowsWhileShownAndMapOn()
    {
        QTemporaryDir folder;
        UseOneMapPage(folder, "main.html", kRecordingPage);
        AnsweringSeam seam;
        MapWindow window(folder, &seam);
        window.dialog.show();
        CGNSS_SecondaryMapDlg& secondary = *window.dialog.SecondaryMapDlg();
        QCOMPARE(secondary.windowTitle(), QString("Secondary Map"));
        QVERIFY(!secondary.isVisible() && window.Secondary().Silent() && window.Main().Silent());

        seam.answer = WriteFile(folder, "second.html", kRecordingPage);
        Find<QPushButton>(secondary, 1140)->click();
        QCOMPARE(seam.requests.size(), 1);
        const OpenFileRequest& request = seam.requests[0];
        QCOMPARE(QStringList({request.filterName, request.pattern, request.defaultSuffix, request.initialName}),
            QStringList({"HTML Files", "*.html", "HTML", "*.html"}));
        QVERIFY(Loaded(window.Secondary(), "recording"));
        seam.answer.clear();
        secondary.OnLoadHtml();
        QCOMPARE(seam.requests.size(), 2);
        QCOMPARE(window.Secondary().RequestedUrl(), QUrl::fromLocalFile(folder.filePath("second.html")));
        QVERIFY(!window.Secondary().Busy());

        QVERIFY(window.MapOn());
        QVERIFY(window.Choose("RMC"));
        window.Tick();  // 1: hidden
        window.SecondaryMap().click();
        QVERIFY(QTest::qWaitForWindowExposed(&secondary));
        QVERIFY(!secondary.windowHandle()->close());
        QVERIFY(secondary.isVisible() && Button(window.dialog, IDC_SECONDARY_MAP)->isChecked());
        QCOMPARE(window.SecondaryMap().text(), QString("Hide a Secondary Map"));
        window.Tick();  // 2: shown
        window.SecondaryMap().click();
        QCOMPARE(window.SecondaryMap().text(), QString("Show a Secondary Map"));
        QVERIFY(!secondary.isVisible());
        window.Tick();  // 3: hidden
        window.SecondaryMap().click();
        window.EnableMap().click();  // map off, window stays shown
        QVERIFY(secondary.isVisible());
        QCOMPARE(window.SecondaryMap().text(), QString("Hide a Secondary Map"));
        window.Tick();  // 4: map off
        QVERIFY(window.MapOn());
        window.dialog.OnSeek(0);
        QVERIFY(window.Choose("RMC"));
        window.Tick();  // 5 (the first RMC again): shown, map on

        QTRY_COMPARE_WITH_TIMEOUT(Calls(window.Secondary()), (QStringList{kRmc[1], kRmc[0]}), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(Calls(window.Main()), QStringList{kRmc[0]}, 10000);
    }

    // setCurPos is looked up in the page's global scope: one declared with
    // const or let is not a property of window, and is called all the same.
    // A page without it, which also raises a dialog and a script error that
    // the silent browser keeps to itself, loads; the browser reports the
    // missing function, and the window writes no line about it.
    void setCurPosLookedUpGlobally_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("function") << QByteArray("function setCurPos(a, b, c) { calls.push([a, b, c]); }")
                                  << kGga.mid(0, 1);
        QTest::newRow("const") << QByteArray("const setCurPos = (a, b, c) => calls.push([a, b, c]);") << kGga.mid(0, 1);
        QTest::newRow("let") << QByteArray("let setCurPos = function (a, b, c) { calls.push([a, b, c]); };")
                             << kGga.mid(0, 1);
        QTest::newRow("missing") << QByteArray("alert('hello'); confirm('sure?'); window.notAFunction.call();")
                                 << QStringList{};
    }
    void setCurPosLookedUpGlobally()
    {
        QFETCH(QByteArray, script);
        QFETCH(QStringList, calls);
        QTemporaryDir folder;
        UseOneMapPage(folder, "page.html", Page("page", "window.calls = [];" + script, "shown"));
        MapWindow window(folder);
        QVERIFY(window.MapOn("page"));
        QCOMPARE(Evaluate(window.Main(), "document.body.textContent").toString(), QString("shown"));
        QSignalSpy missing(&window.Main(), &CWebBrowser2::FunctionMissing);
        QVERIFY(window.Choose("GGA"));
        const QString before = DisplayText(window.dialog);
        window.Tick();
        if (calls.isEmpty()) {
            QVERIFY(missing.wait(10000));
            QCOMPARE(missing.count(), 1);
            QCOMPARE(missing[0][0].toString(), QString("setCurPos"));
        }
        QTRY_COMPARE_WITH_TIMEOUT(Calls(window.Main()), calls, 10000);
        QCOMPARE(missing.count(), calls.isEmpty() ? 1 : 0);
        QVERIFY(window.EnableMap().isChecked());
        const QString newLines = DisplayText(window.dialog).chopped(before.size());
        QVERIFY2(!newLines.contains("setCurPos"), qPrintable(newLines));
    }

    // Without a map section, or with a count of 0, every switch-on writes
    // the line and the map stays off.
    void noMapSectionGivesTheLineEachTime_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::newRow("no map section") << QByteArray("[uart]\nport=ttyS0\n");
        QTest::newRow("count 0") << QByteArray("[map]\ncount=0\n");
    }
    void noMapSectionGivesTheLineEachTime()
    {
        QFETCH(QByteArray, config);
        QTemporaryDir folder;
        UseMapSection(folder, config);
        COrvaneDlg dialog;
        for (int k = 0; k < 2; ++k) {
            Button(dialog, IDC_ENABLE_MAP)->click();
            QCOMPARE(TopLines(dialog, 1), QStringList{"No map URLs from \"config.ini\""});
            QCOMPARE(Button(dialog, IDC_ENABLE_MAP)->text(), QString("Enable Map"));
            QVERIFY(
                !Button(dialog, IDC_ENABLE_MAP)->isChecked() && Button(dialog, IDC_ENABLE_MAP)->text() == "Enable Map");
            QVERIFY(
                !Button(dialog, IDC_SECONDARY_MAP)->isEnabled() && !Find<QWidget>(dialog, IDC_MAP_VIEW)->isEnabled());
            QVERIFY(dialog.Browser()->RequestedUrl().isEmpty());
        }
    }

    // A load stopped or replaced by the next navigation must not end the
    // next page's busy time: the page counts as loading until its own load
    // has ended.
    // The numbers given to a page's script read back as the same double.
    void scriptNumbersReadBackExactly()
    {
        for (double v : {37.5554652, -126.9715542, 0.1, 1e-300, -0.0, 359.99999999999994}) {
            bool ok = false;
            const double back = ScriptNumber(v).toDouble(&ok);
            QVERIFY2(ok && back == v, qPrintable(ScriptNumber(v)));
        }
        QCOMPARE(ScriptNumber(std::numeric_limits<double>::quiet_NaN()), QString("NaN"));
        QCOMPARE(ScriptNumber(-std::numeric_limits<double>::infinity()), QString("-Infinity"));
    }

    void busyUntilTheNewPageHasLoaded_data()
    {
        QTest::addColumn<bool>("stopFirst");
        QTest::newRow("after Stop") << true;
        QTest::newRow("after a replaced load") << false;
    }
    void busyUntilTheNewPageHasLoaded()
    {
        QFETCH(bool, stopFirst);
        QTemporaryDir folder;
        HoldingServer server;
        CWebBrowser2 browser;
        QSignalSpy started(browser.View()->page(), &QWebEnginePage::loadStarted);
        browser.Navigate2(QUrl::fromLocalFile(WriteFile(folder, "first.html", kRecordingPage)));
        QVERIFY(browser.Busy());
        QVERIFY(started.wait(10000));
        if (stopFirst) {
            browser.Stop();
            QVERIFY(!browser.Busy());
        }
        browser.Navigate2(QUrl(server.PageUrl()));
        QVERIFY(WaitInEventLoop([&] { return !server.held.isEmpty(); }, 20000));
        QVERIFY(browser.Busy());
        server.Release();
        QVERIFY(Loaded(browser, "held"));
        QCOMPARE(browser.View()->url(), QUrl(server.PageUrl()));
    }
};

ORVANE_PAGE_TEST_MAIN(TestMap)
#include "tst_map.moc"
