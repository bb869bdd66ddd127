// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChartsDlg.h"

#include <qcustomplot.h>

#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <memory>

#include "decoder/Constellations.h"
#include "replay/LogText.h"

namespace orvane {

namespace {

constexpr int64_t kMsPerDay = 86400000;

const std::array<QColor, 10> kLineColours = {QColor(31, 119, 180), QColor(255, 127, 14), QColor(44, 160, 44),
    QColor(214, 39, 40), QColor(148, 103, 189), QColor(140, 86, 75), QColor(227, 119, 194), QColor(127, 127, 127),
    QColor(188, 189, 34), QColor(23, 190, 207)};

// Colours of the fixes in the deviation plot, in FixClass order.
const std::array<QColor, kFixClassCount> kFixColours = {QColor(160, 160, 160), QColor(255, 140, 0),
    QColor(31, 119, 180), QColor(23, 190, 207), QColor(230, 190, 0), QColor(44, 160, 44), QColor(148, 103, 189),
    QColor(140, 86, 75), QColor(227, 119, 194)};

QString SeriesName(const SeriesId& id)
{
    const QString system = QString::fromUtf8(ConstellationName(id.constellation).data(),
        qsizetype(ConstellationName(id.constellation).size()));
    switch (id.kind) {
    case SeriesKind::Cn0: {
        const std::string_view signal = SignalName(id.constellation, EpochSignalId(id.signalBit));
        QString name = QStringLiteral("%1 %2").arg(system).arg(id.prn);
        if (!signal.empty())
            name += QStringLiteral(" ") + QString::fromUtf8(signal.data(), qsizetype(signal.size()));
        return name;
    }
    case SeriesKind::Used:
        return system + QStringLiteral(" used");
    case SeriesKind::InView:
        return system + QStringLiteral(" in view");
    case SeriesKind::Hdop:
        return QStringLiteral("HDOP");
    case SeriesKind::Pdop:
        return QStringLiteral("PDOP");
    case SeriesKind::Fix:
        return QStringLiteral("fix");
    case SeriesKind::Height:
        return QStringLiteral("height");
    case SeriesKind::Speed:
        return QStringLiteral("speed");
    case SeriesKind::Horizontal:
        return QStringLiteral("horizontal");
    case SeriesKind::Vertical:
        return QStringLiteral("vertical");
    case SeriesKind::SigmaLatitude:
        return QStringLiteral("σ latitude");
    case SeriesKind::SigmaLongitude:
        return QStringLiteral("σ longitude");
    case SeriesKind::SigmaHeight:
        return QStringLiteral("σ height");
    }
    return {};
}

// The key of a C/N0 signal in the signal list's items.
int SignalKey(const SeriesId& id)
{
    return (int(id.constellation) << 16) | (id.prn << 4) | id.signalBit;
}

SeriesId IdOfKey(int key)
{
    return {SeriesKind::Cn0, Constellation((key >> 16) & 0xff), (key >> 4) & 0xfff, key & 0xf};
}

constexpr int kFirstCheckedSignals = 4;

}  // namespace

ChartsDlg::ChartsDlg(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Charts"));
    resize(1200, 820);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Reference:"), this));
    m_Reference = new QLineEdit(this);
    m_Reference->setObjectName(QStringLiteral("reference"));
    m_Reference->setPlaceholderText(
        QStringLiteral("the mean of the fixes, LAT,LON[,HEIGHT], or a reference log's path"));
    top->addWidget(m_Reference, 1);
    top->addWidget(new QLabel(QStringLiteral("Fixes:"), this));
    m_Filter = new QComboBox(this);
    m_Filter->setObjectName(QStringLiteral("fixFilter"));
    m_Filter->addItems(
        {QStringLiteral("All fixes"), QStringLiteral("3D and better"), QStringLiteral("RTK fixed only")});
    top->addWidget(m_Filter);
    connect(m_Reference, &QLineEdit::editingFinished, this, &ChartsDlg::Recompute);
    connect(m_Filter, &QComboBox::currentIndexChanged, this, &ChartsDlg::Recompute);

    auto* charts = new QWidget;
    auto* chartsLayout = new QVBoxLayout(charts);
    chartsLayout->setContentsMargins(0, 0, 0, 0);
    const std::array<QString, kChartCount> titles = {QStringLiteral("C/N0 (dB-Hz)"), QStringLiteral("Satellites"),
        QStringLiteral("DOP"), QStringLiteral("Fix"), QStringLiteral("Height (m)"), QStringLiteral("Speed (m/s)"),
        QStringLiteral("Error (m)"), QStringLiteral("GST σ (m)")};
    for (int k = 0; k < kChartCount; ++k) {
        m_Plots[size_t(k)] = AddTimePlot(titles[size_t(k)]);
        chartsLayout->addWidget(m_Plots[size_t(k)]);
    }
    auto* scroll = new QScrollArea;
    scroll->setWidget(charts);
    scroll->setWidgetResizable(true);

    // The fix chart names its values.
    auto fixTicker = QSharedPointer<QCPAxisTickerText>::create();
    for (int fix = 0; fix < kFixClassCount; ++fix)
        fixTicker->addTick(fix, QString::fromLatin1(FixClassKey(FixClass(fix))));
    m_Plots[FixChart]->yAxis->setTicker(fixTicker);
    m_Plots[FixChart]->yAxis->setRange(-0.5, kFixClassCount - 0.5);

    auto* side = new QWidget;
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(new QLabel(QStringLiteral("C/N0 signals:"), side));
    m_Signals = new QListWidget(side);
    m_Signals->setObjectName(QStringLiteral("signals"));
    m_Signals->setMaximumHeight(120);
    sideLayout->addWidget(m_Signals);
    connect(m_Signals, &QListWidget::itemChanged, this, [this] {
        UpdateSeries();
        ResampleTimePlots();
    });

    m_Deviation = new QCustomPlot(side);
    m_Deviation->setObjectName(QStringLiteral("deviation"));
    m_Deviation->setMinimumSize(300, 300);
    m_Deviation->xAxis->setLabel(QStringLiteral("east (m)"));
    m_Deviation->yAxis->setLabel(QStringLiteral("north (m)"));
    m_Deviation->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    for (int fix = 0; fix < kFixClassCount; ++fix) {
        auto* curve = new QCPCurve(m_Deviation->xAxis, m_Deviation->yAxis);
        curve->setName(QString::fromLatin1(FixClassKey(FixClass(fix))));
        curve->setLineStyle(QCPCurve::lsNone);
        curve->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, kFixColours[size_t(fix)], 4));
    }
    auto* reference = new QCPCurve(m_Deviation->xAxis, m_Deviation->yAxis);
    reference->setName(QStringLiteral("reference"));
    reference->setLineStyle(QCPCurve::lsNone);
    reference->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCrossCircle, Qt::black, 12));
    reference->setData({0.0}, {0.0});
    m_Cep50 = new QCPItemEllipse(m_Deviation);
    m_Cep50->setPen(QPen(Qt::black, 1, Qt::DashLine));
    m_R95 = new QCPItemEllipse(m_Deviation);
    m_R95->setPen(QPen(Qt::red, 1, Qt::DashLine));
    m_Deviation->legend->setVisible(true);
    m_Deviation->legend->setFont(QFont(font().family(), 7));
    connect(m_Deviation->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
        &ChartsDlg::ResampleDeviation);
    connect(m_Deviation->yAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
        &ChartsDlg::ResampleDeviation);
    // East and north metres alike, however the plot is shaped: once laid
    // out, the longer side's range widens to the shorter side's scale.
    connect(m_Deviation, &QCustomPlot::afterLayout, this, [this] {
        const QRect rect = m_Deviation->axisRect()->rect();
        if (rect.width() >= rect.height() && rect.height() > 0)
            m_Deviation->xAxis->setScaleRatio(m_Deviation->yAxis, 1.0);
        else if (rect.width() > 0)
            m_Deviation->yAxis->setScaleRatio(m_Deviation->xAxis, 1.0);
    });
    sideLayout->addWidget(m_Deviation, 1);

    m_StatsView = new QPlainTextEdit(side);
    m_StatsView->setObjectName(QStringLiteral("statistics"));
    m_StatsView->setReadOnly(true);
    m_StatsView->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_StatsView->setLineWrapMode(QPlainTextEdit::NoWrap);
    sideLayout->addWidget(m_StatsView, 1);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(scroll);
    splitter->addWidget(side);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({720, 480});

    m_StatsTimer.setSingleShot(true);
    connect(&m_StatsTimer, &QTimer::timeout, this, &ChartsDlg::Recompute);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);
}

ChartsDlg::~ChartsDlg() = default;

QCustomPlot* ChartsDlg::AddTimePlot(const QString& title)
{
    auto* plot = new QCustomPlot;
    plot->setObjectName(title);
    plot->setMinimumHeight(150);
    plot->yAxis->setLabel(title);
    auto ticker = QSharedPointer<QCPAxisTickerTime>::create();
    ticker->setTimeFormat(QStringLiteral("%h:%m:%s"));
    plot->xAxis->setTicker(ticker);
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    plot->axisRect()->setRangeDrag(Qt::Horizontal);
    plot->axisRect()->setRangeZoom(Qt::Horizontal);
    plot->setNoAntialiasingOnDrag(true);
    plot->setPlottingHint(QCP::phFastPolylines, true);
    plot->legend->setFont(QFont(font().family(), 7));
    plot->legend->setBrush(QColor(255, 255, 255, 190));
    ticker->setTickCount(4);
    auto* cursor = new QCPItemStraightLine(plot);
    cursor->setPen(QPen(Qt::red));
    cursor->setVisible(false);
    const size_t index = size_t(std::find(m_Plots.begin(), m_Plots.end(), nullptr) - m_Plots.begin());
    m_CursorLines[index] = cursor;
    connect(plot->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
        [this, plot] { OnRangeChanged(plot); });
    WireClick(plot);
    return plot;
}

void ChartsDlg::WireClick(QCustomPlot* plot)
{
    // A press and release in one place is a click; a drag moves the range.
    auto pressed = std::make_shared<QPoint>();
    connect(plot, &QCustomPlot::mousePress, this, [pressed](QMouseEvent* event) { *pressed = event->pos(); });
    connect(plot, &QCustomPlot::mouseRelease, this, [this, plot, pressed](QMouseEvent* event) {
        if ((event->pos() - *pressed).manhattanLength() > 3 || event->button() != Qt::LeftButton)
            return;
        if (const auto epoch = EpochNear(plot->xAxis->pixelToCoord(event->pos().x())))
            emit EpochClicked(qulonglong(*epoch));
    });
}

void ChartsDlg::ShowEpochs(const EpochLog* log, const QString& name, bool grown)
{
    m_Name = name;
    setWindowTitle(QStringLiteral("Charts - ") + name);
    const bool hadEpochs = m_Log && !m_Stats.timeLine.ms.empty();
    const double lastBefore = hadEpochs ? SecondsOf(m_Stats.timeLine.ms.size() - 1) : 0;
    const QCPRange shown = m_Plots[0]->xAxis->range();
    m_Log = log;
    FillSignalList();
    if (!grown || !hadEpochs) {
        m_Constellations = 0;
        m_ConstellationsRead = 0;
        for (std::vector<SeriesSampler>& samplers : m_Samplers)
            for (SeriesSampler& sampler : samplers)
                sampler.Reset();
    }
    const qint64 wait = std::max<qint64>(1000, 10 * m_StatsMs);
    if (grown && hadEpochs && m_StatsClock.isValid() && m_StatsClock.elapsed() < wait) {
        Extend();
        if (!m_StatsTimer.isActive())
            m_StatsTimer.start(int(wait - m_StatsClock.elapsed()));
    } else {
        m_StatsTimer.stop();
        Recompute();
    }
    if (m_Stats.timeLine.ms.empty())
        return;
    const double first = SecondsOf(0), last = SecondsOf(m_Stats.timeLine.ms.size() - 1);
    if (grown && hadEpochs) {
        // A view that reached the end follows it; one that showed all of
        // the log goes on showing all of it.
        if (shown.upper >= lastBefore) {
            const double from = shown.lower <= first ? first : shown.lower + (last - lastBefore);
            SetTimeRange(from, std::max(last, from + 1));
        } else {
            ResampleTimePlots();
        }
        return;
    }
    SetTimeRange(first, std::max(last, first + 1));
}

void ChartsDlg::SetTimeRange(double from, double to)
{
    m_Plots[0]->xAxis->setRange(from, to);
    // Setting the same range again emits nothing: sample anyway.
    OnRangeChanged(m_Plots[0]);
}

double ChartsDlg::SecondsOf(size_t epoch) const
{
    return double(m_Stats.timeLine.ms[epoch] - m_OriginMs) / 1000.0;
}

std::optional<size_t> ChartsDlg::EpochNear(double seconds) const
{
    const std::vector<int64_t>& ms = m_Stats.timeLine.ms;
    if (ms.empty() || !std::isfinite(seconds))
        return std::nullopt;
    const int64_t at = m_OriginMs + int64_t(std::llround(seconds * 1000.0));
    const auto after = std::lower_bound(ms.begin(), ms.end(), at);
    if (after == ms.end())
        return ms.size() - 1;
    if (after == ms.begin())
        return size_t(0);
    const auto before = after - 1;
    return size_t((at - *before <= *after - at ? before : after) - ms.begin());
}

void ChartsDlg::SetCursorEpoch(std::optional<size_t> epoch)
{
    if (epoch && *epoch >= m_Stats.timeLine.ms.size())
        epoch.reset();
    if (epoch == m_Cursor)
        return;
    m_Cursor = epoch;
    MoveCursor();
}

void ChartsDlg::MoveCursor()
{
    if (m_Cursor && *m_Cursor >= m_Stats.timeLine.ms.size())
        m_Cursor.reset();
    for (int k = 0; k < kChartCount; ++k) {
        QCPItemStraightLine* line = m_CursorLines[size_t(k)];
        line->setVisible(m_Cursor.has_value());
        if (m_Cursor) {
            const double x = SecondsOf(*m_Cursor);
            line->point1->setCoords(x, 0);
            line->point2->setCoords(x, 1);
        }
        m_Plots[size_t(k)]->replot(QCustomPlot::rpQueuedReplot);
    }
}

void ChartsDlg::OnRangeChanged(QCustomPlot* source)
{
    if (m_Syncing)
        return;
    m_Syncing = true;
    const QCPRange range = source->xAxis->range();
    for (QCustomPlot* plot : m_Plots)
        if (plot != source)
            plot->xAxis->setRange(range);
    m_Syncing = false;
    ResampleTimePlots();
}

void ChartsDlg::FillSignalList()
{
    const std::vector<SeriesId> available = m_Log ? Cn0Signals(*m_Log) : std::vector<SeriesId>{};
    // The signals already listed keep their check; a new list checks the first few.
    QHash<int, bool> checked;
    for (int row = 0; row < m_Signals->count(); ++row)
        checked.insert(m_Signals->item(row)->data(Qt::UserRole).toInt(),
            m_Signals->item(row)->checkState() == Qt::Checked);
    const bool fresh = checked.isEmpty();
    const QSignalBlocker block(m_Signals);
    m_Signals->clear();
    for (const SeriesId& id : available) {
        auto* item = new QListWidgetItem(SeriesName(id), m_Signals);
        item->setData(Qt::UserRole, SignalKey(id));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        const bool on = fresh ? m_Signals->count() <= kFirstCheckedSignals : checked.value(SignalKey(id), false);
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
}

std::vector<SeriesId> ChartsDlg::SeriesOf(Chart chart) const
{
    std::vector<SeriesId> series;
    const auto add = [&series](SeriesKind kind) { series.push_back({kind}); };
    switch (chart) {
    case Cn0Chart:
        for (int row = 0; row < m_Signals->count(); ++row)
            if (m_Signals->item(row)->checkState() == Qt::Checked)
                series.push_back(IdOfKey(m_Signals->item(row)->data(Qt::UserRole).toInt()));
        break;
    case SatellitesChart:
        for (int c = 0; c < kConstellationCount; ++c) {
            if (m_Constellations & (1u << c)) {
                series.push_back({SeriesKind::Used, Constellation(c)});
                series.push_back({SeriesKind::InView, Constellation(c)});
            }
        }
        break;
    case DopChart:
        add(SeriesKind::Hdop);
        add(SeriesKind::Pdop);
        break;
    case FixChart:
        add(SeriesKind::Fix);
        break;
    case HeightChart:
        add(SeriesKind::Height);
        break;
    case SpeedChart:
        add(SeriesKind::Speed);
        break;
    case ErrorChart:
        add(SeriesKind::Horizontal);
        add(SeriesKind::Vertical);
        break;
    case SigmaChart:
        add(SeriesKind::SigmaLatitude);
        add(SeriesKind::SigmaLongitude);
        add(SeriesKind::SigmaHeight);
        break;
    }
    return series;
}

void ChartsDlg::UpdateSeries()
{
    // The constellations seen, from the epochs not looked at before: a
    // growing log is read once.
    const size_t count = m_Log ? m_Log->epochs.size() : 0;
    for (; m_ConstellationsRead < count; ++m_ConstellationsRead) {
        const Epoch& epoch = m_Log->epochs[m_ConstellationsRead];
        for (int c = 0; c < kConstellationCount; ++c)
            if (epoch.inView[size_t(c)] > 0 || epoch.used[size_t(c)] > 0)
                m_Constellations |= uint8_t(1u << c);
    }
    for (int k = 0; k < kChartCount; ++k) {
        QCustomPlot* plot = m_Plots[size_t(k)];
        std::vector<SeriesSampler>& samplers = m_Samplers[size_t(k)];
        const std::vector<SeriesId> series = SeriesOf(Chart(k));
        if (std::equal(series.begin(), series.end(), samplers.begin(), samplers.end(),
                [](const SeriesId& id, const SeriesSampler& sampler) { return id == sampler.Id(); }))
            continue;
        plot->clearGraphs();
        samplers.clear();
        for (size_t g = 0; g < series.size(); ++g) {
            samplers.emplace_back(series[g]);
            QCPGraph* graph = plot->addGraph();
            graph->setName(SeriesName(series[g]));
            QPen pen(kLineColours[g % kLineColours.size()]);
            if (series[g].kind == SeriesKind::Used)
                pen.setWidthF(2);
            if (series[g].kind == SeriesKind::InView) {
                // In view beside used, in the used line's colour.
                pen.setColor(kLineColours[(g - 1) % kLineColours.size()]);
                pen.setStyle(Qt::DashLine);
            }
            graph->setPen(pen);
            if (k == FixChart)
                graph->setLineStyle(QCPGraph::lsStepLeft);
        }
        plot->legend->setVisible(series.size() > 1);
    }
}

void ChartsDlg::Extend()
{
    m_Stats.timeLine = MakeTimeLine(*m_Log);
    UpdateSeries();
    MoveCursor();
    ResampleTimePlots();
}

void ChartsDlg::Recompute()
{
    QElapsedTimer clock;
    clock.start();
    m_Stats = ReceiverStats{};
    m_Errors = ErrorSeries{};
    // The errors are new: the error charts summarise them anew.
    for (std::vector<SeriesSampler>& samplers : m_Samplers)
        for (SeriesSampler& sampler : samplers)
            if (sampler.Id().kind == SeriesKind::Horizontal || sampler.Id().kind == SeriesKind::Vertical)
                sampler.Reset();
    QString text;
    if (m_Log && !m_Log->epochs.empty()) {
        StatsOptions options;
        ReportContext context;
        text = ReadOptions(options, context);
        m_Stats = ComputeStats(*m_Log, options);
        context.file = m_Name.toStdString();
        context.log = m_Log;
        context.options = &options;
        text += QString::fromStdString(StatsText(m_Stats, context));
        m_Errors = ErrorsOf(m_Stats, m_Log->epochs.size());
        // The charts read the errors as floats; the full records go (their
        // memory too: assigning an empty list would keep it).
        std::vector<EpochError>().swap(m_Stats.errors);
        m_OriginMs = m_Stats.timeLine.ms.front() - ((m_Stats.timeLine.ms.front() % kMsPerDay) + kMsPerDay) % kMsPerDay;
    } else {
        text = QStringLiteral("No epochs.");
    }
    m_StatsView->setPlainText(text);
    UpdateSeries();
    MoveCursor();
    ResampleTimePlots();

    const double cep50 = m_Stats.accuracy.cep50, r95 = m_Stats.accuracy.r95;
    m_Cep50->topLeft->setCoords(-cep50, cep50);
    m_Cep50->bottomRight->setCoords(cep50, -cep50);
    m_R95->topLeft->setCoords(-r95, r95);
    m_R95->bottomRight->setCoords(r95, -r95);
    const double half = std::max(1.5 * r95, 0.01);
    m_Deviation->xAxis->setRange(-half, half);
    m_Deviation->yAxis->setRange(-half, half);
    ResampleDeviation();
    m_StatsMs = clock.elapsed();
    m_StatsClock.start();
}

QString ChartsDlg::ReadOptions(StatsOptions& options, ReportContext& context)
{
    options.filter = FixFilter(std::clamp(m_Filter->currentIndex(), 0, 2));
    const QString reference = m_Reference->text().trimmed();
    if (reference.isEmpty())
        return {};
    if (ParseGeodeticPoint(reference.toStdString(), options.point)) {
        options.reference = ReferenceKind::Point;
        return {};
    }
    if (!QFileInfo(reference).isFile())
        return QStringLiteral(
            "Reference \"%1\" is neither LAT,LON[,HEIGHT] in degrees and metres nor a log: the "
            "mean of the fixes is used.\n\n")
            .arg(reference);
    // The reference log is read once for as long as the field names it.
    if (reference != m_ReferencePath) {
        m_ReferenceLog.reset();
        m_ReferencePath.clear();
        std::string text, reason;
        if (!ReadLogFile(QFile::encodeName(reference).toStdString(), true, text, reason))
            return QStringLiteral("Reference log \"%1\" cannot be read (%2): the mean of the fixes is used.\n\n")
                .arg(reference, QString::fromLocal8Bit(reason.c_str()));
        m_ReferenceLog = ReadEpochs(text);
        m_ReferencePath = reference;
    }
    options.reference = ReferenceKind::Log;
    options.referenceLog = &*m_ReferenceLog;
    context.referenceLog = QFileInfo(reference).fileName().toStdString();
    return {};
}

void ChartsDlg::ResampleTimePlots()
{
    const double period = m_Stats.availability.periodSeconds;
    const double gap = period > 0 ? 1.5 * period : INFINITY;
    SeriesPoints points;
    for (int k = 0; k < kChartCount; ++k) {
        QCustomPlot* plot = m_Plots[size_t(k)];
        const QCPRange range = plot->xAxis->range();
        // The plot's own width: its axis rectangle is laid out only at its
        // next redraw, and a few columns more cost nothing.
        const int columns = std::max(1, plot->width());
        bool any = false;
        for (int g = 0; g < plot->graphCount(); ++g) {
            if (m_Log)
                m_Samplers[size_t(k)][size_t(g)].Sample(*m_Log, m_Stats.timeLine, m_OriginMs, m_Errors, range.lower,
                    range.upper, columns, gap, points);
            else
                points = SeriesPoints{};
            plot->graph(g)->setData(QVector<double>(points.x.begin(), points.x.end()),
                QVector<double>(points.y.begin(), points.y.end()), true);
            any = any || !points.x.empty();
        }
        if (any && k != FixChart) {
            plot->yAxis->rescale();
            const QCPRange values = plot->yAxis->range();
            const double margin = std::max(values.size() * 0.05, 0.5);
            plot->yAxis->setRange(values.lower - margin, values.upper + margin);
        }
        plot->replot(QCustomPlot::rpQueuedReplot);
    }
}

void ChartsDlg::ResampleDeviation()
{
    // One point per occupied pixel and fix: a day of fixes draws as fast
    // as a minute of them.
    const QCPRange east = m_Deviation->xAxis->range(), north = m_Deviation->yAxis->range();
    const int width = std::max(1, m_Deviation->width());
    const int height = std::max(1, m_Deviation->height());
    std::vector<std::vector<bool>> occupied(kFixClassCount);
    std::array<QVector<double>, kFixClassCount> xs, ys;
    const size_t count = m_Log ? std::min(m_Log->epochs.size(), m_Errors.east.size()) : 0;
    for (size_t k = 0; k < count; ++k) {
        const double e = m_Errors.east[k], n = m_Errors.north[k];
        if (std::isnan(e) || !east.contains(e) || !north.contains(n))
            continue;
        const int column = std::min(width - 1, int((e - east.lower) / east.size() * width));
        const int row = std::min(height - 1, int((n - north.lower) / north.size() * height));
        const size_t fix = size_t(ClassOf(m_Log->epochs[k]));
        std::vector<bool>& cells = occupied[fix];
        if (cells.empty())
            cells.resize(size_t(width) * size_t(height));
        const size_t cell = size_t(row) * size_t(width) + size_t(column);
        if (cells[cell])
            continue;
        cells[cell] = true;
        xs[fix].push_back(east.lower + (column + 0.5) * east.size() / width);
        ys[fix].push_back(north.lower + (row + 0.5) * north.size() / height);
    }
    for (int fix = 0; fix < kFixClassCount; ++fix) {
        auto* curve = static_cast<QCPCurve*>(m_Deviation->plottable(fix));
        curve->setData(xs[size_t(fix)], ys[size_t(fix)]);
        // The legend names only the fixes the log has.
        if (curve->dataCount() > 0)
            curve->addToLegend();
        else
            curve->removeFromLegend();
    }
    m_Deviation->replot(QCustomPlot::rpQueuedReplot);
}

void ChartsDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    ResampleTimePlots();
    ResampleDeviation();
}

}  // namespace orvane
