// SPDX-License-Identifier: GPL-3.0-or-later
#include "FixStatusPanel.h"

#include <QGridLayout>
#include <QLabel>

#include <iterator>

#include "Latin1Text.h"
#include "decoder/Tables.h"

namespace orvane {

namespace {

const char* const kFieldNames[] = {"Fix", "Mode", "Nav status", "Time (UTC)", "Date", "Latitude", "Longitude",
    "Altitude", "Speed", "Course", "True heading", "Satellites", "Satellites (GNS)", "PDOP / HDOP / VDOP",
    "Accuracy (GST)", "RAIM (GBS)", "Position age"};
static_assert(std::size(kFieldNames) == FixStatusPanel::kFieldCount);
const char* const kFreshStyle = "color: black;";
const char* const kStaleStyle = "color: #a0a0a0;";
const QString kUnknown = QString(QChar(0x2014));  // an em dash: never sent

QString Fixed(double value, int precision)
{
    return QString::number(value, 'f', precision);
}

QString Degrees(double value, char positive, char negative)
{
    return Fixed(std::abs(value), 7) + QChar(0x00B0) + QChar(value < 0 ? negative : positive);
}

QString TimeOfDay(int32_t hundredths)
{
    return QStringLiteral("%1:%2:%3.%4")
        .arg(hundredths / 360000, 2, 10, QChar('0'))
        .arg(hundredths / 6000 % 60, 2, 10, QChar('0'))
        .arg(hundredths / 100 % 60, 2, 10, QChar('0'))
        .arg(hundredths % 100, 2, 10, QChar('0'));
}

QString DopText(const Latest<double>& dop)
{
    return dop.Known() ? Fixed(dop.value, 2) : kUnknown;
}

// "0.43 / 0.49 / 0.96 m" for latitude, longitude and altitude; each part
// not sent a dash, all three not sent only a dash.
QString Metres(const std::optional<double>& latitude, const std::optional<double>& longitude,
    const std::optional<double>& altitude)
{
    if (!latitude && !longitude && !altitude)
        return kUnknown;
    const auto part = [](const std::optional<double>& value) { return value ? Fixed(*value, 2) : kUnknown; };
    return QStringLiteral("%1 / %2 / %3 m").arg(part(latitude), part(longitude), part(altitude));
}

// The constellations of GNS's mode letters, in the order sent.
constexpr Constellation kGnsModeOrder[] = {Constellation::Gps, Constellation::Glonass, Constellation::Galileo,
    Constellation::BeiDou, Constellation::Qzss, Constellation::NavIC};

// "GPS A, GLONASS A, ..."; a letter past the six named ones as "other".
QString GnsModes(std::string_view letters)
{
    QStringList parts;
    for (size_t k = 0; k < letters.size(); ++k) {
        const Constellation constellation = k < std::size(kGnsModeOrder) ? kGnsModeOrder[k] : Constellation::Other;
        parts << Latin1(ConstellationName(constellation)) + ' ' + QChar(letters[k]);
    }
    return parts.join(QStringLiteral(", "));
}

// An RMC mode letter as "Autonomous (A)".
QString RmcMode(char letter)
{
    const char* name = nullptr;
    switch (letter) {
    case 'A':
        name = "Autonomous";
        break;
    case 'D':
        name = "Differential";
        break;
    case 'P':
        name = "Precise";
        break;
    case 'F':
        name = "Float RTK";
        break;
    case 'R':
        name = "RTK";
        break;
    case 'E':
        name = "Estimated";
        break;
    case 'M':
        name = "Manual";
        break;
    case 'S':
        name = "Simulator";
        break;
    case 'N':
        name = "Not valid";
        break;
    }
    return name ? QStringLiteral("%1 (%2)").arg(QString::fromLatin1(name), QChar(letter)) : QString(QChar(letter));
}

// A navigational status letter as "Safe (S)".
QString NavStatusText(char letter)
{
    const char* name = nullptr;
    switch (letter) {
    case 'S':
        name = "Safe";
        break;
    case 'C':
        name = "Caution";
        break;
    case 'U':
        name = "Unsafe";
        break;
    case 'V':
        name = "Not valid";
        break;
    }
    return name ? QStringLiteral("%1 (%2)").arg(QString::fromLatin1(name), QChar(letter)) : QString(QChar(letter));
}

// The satellite GBS names as failed: "GPS 13 L1 C/A" by its system and
// signal IDs, or by the PRN's range when the sentence has no system ID.
QString FailedSatellite(const GbsReport& gbs)
{
    const int32_t prn = *gbs.failedSatellite;
    Constellation constellation = Constellation::Other;
    if (!gbs.systemId || !ConstellationOfSystemId(*gbs.systemId, prn, constellation))
        constellation = ConstellationOfPrn(prn);
    QString text = constellation == Constellation::Other
                       ? QStringLiteral("PRN %1").arg(prn)
                       : QStringLiteral("%1 %2").arg(Latin1(ConstellationName(constellation))).arg(prn);
    if (gbs.signalId && *gbs.signalId > 0 && *gbs.signalId < 16 && constellation != Constellation::Other) {
        const char digit = "0123456789ABCDEF"[*gbs.signalId];
        text += ' ' + Latin1(SignalName(constellation, digit));
    }
    if (gbs.bias)
        text += QStringLiteral(", bias %1 m").arg(Fixed(*gbs.bias, 2));
    return text;
}

QString HeadingText(const HeadingReport& heading)
{
    QString text = Fixed(heading.degrees, 1) + QChar(0x00B0);
    switch (heading.mode) {
    case 'E':
        text += QStringLiteral(" estimated");
        break;
    case 'M':
        text += QStringLiteral(" manual");
        break;
    case 'S':
        text += QStringLiteral(" simulated");
        break;
    }
    return text;
}

}  // namespace

FixStatusPanel::FixStatusPanel(QWidget* parent)
    : QWidget(parent), m_Updates(kFieldCount, 0), m_ChangedAt(kFieldCount, 0), m_Stale(kFieldCount, false)
{
    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(2);
    QFont large = font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    for (int field = 0; field < kFieldCount; ++field) {
        auto* name = new QLabel(QString::fromLatin1(kFieldNames[field]), this);
        m_Names.push_back(name);
        auto* value = new QLabel(kUnknown, this);
        QFont valueFont = large;
        if (field == Fix) {
            valueFont.setPointSizeF(large.pointSizeF() * 1.4);
            valueFont.setBold(true);
        }
        value->setFont(valueFont);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // A mode per constellation and the integrity report run long: they
        // wrap rather than take the plot's width.
        if (field == Mode || field == Raim)
            value->setWordWrap(true);
        grid->addWidget(name, field, 0, Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(value, field, 1);
        m_Values.push_back(value);
    }
    m_Counters = new QLabel(this);
    m_Counters->setTextFormat(Qt::PlainText);
    grid->addWidget(m_Counters, kFieldCount, 0, 1, 2);
    grid->setRowStretch(kFieldCount + 1, 1);
    Reset();
}

void FixStatusPanel::Reset()
{
    for (int field = 0; field < kFieldCount; ++field) {
        m_Values[size_t(field)]->setText(kUnknown);
        m_Values[size_t(field)]->setStyleSheet(QString::fromLatin1(kFreshStyle));
        m_Updates[size_t(field)] = 0;
        m_ChangedAt[size_t(field)] = 0;
        m_Stale[size_t(field)] = false;
    }
    m_Names[GnsSatellites]->setHidden(true);
    m_Values[GnsSatellites]->setHidden(true);
    m_Counters->setText(QStringLiteral("No sentences yet"));
}

void FixStatusPanel::SetField(Field field, const QString& text, uint64_t updates, qint64 nowMs)
{
    const size_t k = size_t(field);
    if (updates != m_Updates[k]) {
        m_Updates[k] = updates;
        m_ChangedAt[k] = nowMs;
    }
    if (m_Values[k]->text() != text)
        m_Values[k]->setText(text);
    // Nothing known is not stale; a known value is once it stops changing.
    const bool stale = updates != 0 && nowMs - m_ChangedAt[k] > kStaleAfterMs;
    if (stale != m_Stale[k]) {
        m_Stale[k] = stale;
        m_Values[k]->setStyleSheet(QString::fromLatin1(stale ? kStaleStyle : kFreshStyle));
    }
}

void FixStatusPanel::ShowReports(const FixSummary& summary, qint64 nowMs)
{
    const ReceiverReports& reports = summary.Reports();
    const Latest<GnsReport>& gns = reports.Gns();
    const Latest<RmcStatus>& rmc = reports.Rmc();

    // GNS gives a mode per constellation; RMC one for the fix.
    if (gns.Known() && !gns.value.Modes().empty())
        SetField(Mode, GnsModes(gns.value.Modes()), gns.updates, nowMs);
    else if (rmc.Known() && rmc.value.mode)
        SetField(Mode, RmcMode(*rmc.value.mode), rmc.updates, nowMs);
    else
        SetField(Mode, kUnknown, 0, nowMs);

    if (gns.Known() && gns.value.navStatus)
        SetField(NavStatus, NavStatusText(*gns.value.navStatus), gns.updates, nowMs);
    else if (rmc.Known() && rmc.value.navStatus)
        SetField(NavStatus, NavStatusText(*rmc.value.navStatus), rmc.updates, nowMs);
    else
        SetField(NavStatus, kUnknown, 0, nowMs);

    // GNS's count adds to the Satellites field only where it differs from
    // the GSAs' (a receiver that lists at most twelve per GSA, or none).
    const bool gnsCounts =
        gns.Known() && gns.value.satellitesUsed && *gns.value.satellitesUsed != summary.SatellitesUsed();
    SetField(GnsSatellites, gnsCounts ? QStringLiteral("%1 used").arg(*gns.value.satellitesUsed) : kUnknown,
        gns.updates, nowMs);
    if (m_Values[GnsSatellites]->isHidden() == gnsCounts) {
        m_Names[GnsSatellites]->setHidden(!gnsCounts);
        m_Values[GnsSatellites]->setHidden(!gnsCounts);
    }

    const Latest<HeadingReport>& heading = reports.TrueHeading();
    SetField(TrueHeading, heading.Known() ? HeadingText(heading.value) : kUnknown, heading.updates, nowMs);

    const Latest<GstReport>& gst = reports.Gst();
    SetField(Accuracy,
        gst.Known() ? Metres(gst.value.sigmaLatitude, gst.value.sigmaLongitude, gst.value.sigmaAltitude) : kUnknown,
        gst.updates, nowMs);

    const Latest<GbsReport>& gbs = reports.Gbs();
    QString raim = kUnknown;
    if (gbs.Known()) {
        raim = Metres(gbs.value.errorLatitude, gbs.value.errorLongitude, gbs.value.errorAltitude);
        if (gbs.value.failedSatellite)
            raim += QStringLiteral("\nfailed: ") + FailedSatellite(gbs.value);
    }
    SetField(Raim, raim, gbs.updates, nowMs);
}

void FixStatusPanel::Show(const FixSummary& summary, qint64 nowMs)
{
    const uint64_t fixUpdates = summary.Quality().updates + summary.FixType().updates;
    SetField(Fix, QString::fromLatin1(summary.FixLabel().data(), qsizetype(summary.FixLabel().size())), fixUpdates,
        nowMs);
    const auto& time = summary.Time();
    SetField(Time, time.Known() ? TimeOfDay(time.value) : kUnknown, time.updates, nowMs);
    const auto& date = summary.Date();
    SetField(Date,
        date.Known() ? QStringLiteral("%1-%2-%3")
                           .arg(date.value.year, 4, 10, QChar('0'))
                           .arg(date.value.month, 2, 10, QChar('0'))
                           .arg(date.value.day, 2, 10, QChar('0'))
                     : kUnknown,
        date.updates, nowMs);
    const auto& position = summary.Position();
    SetField(Latitude, position.Known() ? Degrees(position.value.latitude, 'N', 'S') : kUnknown, position.updates,
        nowMs);
    SetField(Longitude, position.Known() ? Degrees(position.value.longitude, 'E', 'W') : kUnknown, position.updates,
        nowMs);
    const auto& altitude = summary.Altitude();
    SetField(Altitude, altitude.Known() ? Fixed(altitude.value, 1) + QStringLiteral(" m") : kUnknown, altitude.updates,
        nowMs);
    const auto& speed = summary.SpeedKmh();
    SetField(Speed, speed.Known() ? Fixed(speed.value, 1) + QStringLiteral(" km/h") : kUnknown, speed.updates, nowMs);
    const auto& course = summary.Course();
    SetField(Course, course.Known() ? Fixed(course.value, 1) + QChar(0x00B0) : kUnknown, course.updates, nowMs);
    const uint64_t satelliteUpdates = summary.Sky().Updates();
    SetField(Satellites,
        QStringLiteral("%1 used / %2 in view").arg(summary.SatellitesUsed()).arg(summary.SatellitesInView()),
        satelliteUpdates, nowMs);
    SetField(Dop,
        QStringLiteral("%1 / %2 / %3").arg(DopText(summary.Pdop()), DopText(summary.Hdop()), DopText(summary.Vdop())),
        summary.Pdop().updates + summary.Hdop().updates + summary.Vdop().updates, nowMs);
    const double age = summary.PositionAgeSeconds();
    SetField(PositionAge, age >= 0 ? Fixed(age, 2) + QStringLiteral(" s") : kUnknown, position.updates, nowMs);
    ShowReports(summary, nowMs);

    QStringList counters;
    for (int row = 0; row < kTalkerCount; ++row) {
        const TalkerSummary& talker = summary.Talker(row);
        if (talker.Sentences() == 0)
            continue;
        counters << QStringLiteral("%1: %2 decoded, %3 bad checksum, %4 parse errors")
                        .arg(QString::fromLatin1(TalkerTable[size_t(row)].id.data(), 2))
                        .arg(talker.decoded)
                        .arg(talker.badChecksum)
                        .arg(talker.parseErrors);
    }
    const QString countersText = counters.isEmpty() ? QStringLiteral("No sentences yet") : counters.join('\n');
    if (m_Counters->text() != countersText)
        m_Counters->setText(countersText);
}

}  // namespace orvane
