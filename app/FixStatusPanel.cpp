// SPDX-License-Identifier: GPL-3.0-or-later
#include "FixStatusPanel.h"

#include <QGridLayout>
#include <QLabel>

#include "decoder/Tables.h"

namespace orvane {

namespace {

const char* const kFieldNames[] = {"Fix", "Time (UTC)", "Date", "Latitude", "Longitude", "Altitude", "Speed", "Course",
    "Satellites", "PDOP / HDOP / VDOP", "Position age"};
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

}  // namespace

FixStatusPanel::FixStatusPanel(QWidget* parent)
    : QWidget(parent), m_Updates(kFieldCount, 0), m_ChangedAt(kFieldCount, 0), m_Stale(kFieldCount, false)
{
    auto* grid = new QGridLayout(this);
    QFont large = font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    for (int field = 0; field < kFieldCount; ++field) {
        auto* name = new QLabel(QString::fromLatin1(kFieldNames[field]), this);
        auto* value = new QLabel(kUnknown, this);
        QFont valueFont = large;
        if (field == Fix) {
            valueFont.setPointSizeF(large.pointSizeF() * 1.4);
            valueFont.setBold(true);
        }
        value->setFont(valueFont);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
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
