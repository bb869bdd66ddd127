// SPDX-License-Identifier: GPL-3.0-or-later
#include "Drive.h"

#include <algorithm>
#include <cmath>

#include "Earth.h"

namespace orvane::loggen {

namespace {

constexpr double kMaxSpeed = 79.4 / kKmhPerMs;  // the driver never exceeds 80 km/h
constexpr int kSubSteps = 10;                   // integration steps per second
constexpr double kBraking = 1.5;                // m/s^2 the driver plans to stop with

}  // namespace

Drive::Drive(uint64_t seed) : m_Random(seed)
{
    m_Hold = 6.0 + m_Random.Uniform() * 6.0;
    PlanRoad();
    m_Cruise = m_Random.Uniform(62.0, 78.0) / kKmhPerMs;
    m_Remaining = m_Random.Uniform(700.0, 1100.0);
    m_Curvature = 0.0;
    m_Urban = 1;
}

void Drive::AdvanceOneSecond()
{
    m_Wobble = 0.9 * m_Wobble + 0.35 * m_Random.Gauss();
    for (int i = 0; i < kSubSteps; ++i)
        Step(1.0 / kSubSteps);
}

// The next road: its kind, length and bend, and what waits at its end.
void Drive::PlanRoad()
{
    const double length = ChooseRoad();
    m_Remaining = length;
    m_Curvature = m_Random.Uniform() < 0.3 ? m_Random.Uniform(-0.05, 0.05) : m_Random.Uniform(-0.004, 0.004);
    ChooseJunction();

    // Far from the start, junctions tend to lead back towards it, so long
    // runs stay in the city instead of wandering off.
    const double distance = std::hypot(m_North, m_East);
    if (distance > 4000.0 && m_RoadEnd != RoadEnd::Through && m_Random.Uniform() < 0.8)
        m_EndTurn = TurnTowardsStart(length);
    m_EndSpeed = std::fabs(m_EndTurn) > 60.0 ? m_Random.Uniform(4.2, 6.0)
                                             : (m_EndTurn != 0.0 ? m_Random.Uniform(7.0, 10.0) : 1e9);
}

// An arterial road or a side street; returns its length in metres.
double Drive::ChooseRoad()
{
    const bool arterial = m_Random.Uniform() < 0.6;
    double length;
    if (arterial) {
        m_Cruise = m_Random.Uniform(50.0, 80.0) / kKmhPerMs;
        length = m_Random.Uniform(350.0, 1300.0);
        const double u = m_Random.Uniform();
        m_Urban = u < 0.3 ? 0 : (u < 0.75 ? 1 : 2);
    } else {
        m_Cruise = m_Random.Uniform(24.0, 42.0) / kKmhPerMs;
        length = m_Random.Uniform(120.0, 420.0);
        m_Urban = m_Random.Uniform() < 0.6 ? 2 : 1;
    }
    return length;
}

// A traffic light (with a wait and maybe a turn), a turn, or straight on.
void Drive::ChooseJunction()
{
    const double r = m_Random.Uniform();
    if (r < 0.38) {
        m_RoadEnd = RoadEnd::Light;
        m_LightWait = m_Random.Uniform(8.0, 55.0);
        const double q = m_Random.Uniform();
        m_EndTurn = q < 0.5 ? 0.0 : (q < 0.75 ? 90.0 : -90.0);
    } else if (r < 0.72) {
        m_RoadEnd = RoadEnd::Turn;
        const double q = m_Random.Uniform();
        m_EndTurn = q < 0.4 ? 90.0 : (q < 0.8 ? -90.0 : (q < 0.9 ? 45.0 : -45.0));
    } else {
        m_RoadEnd = RoadEnd::Through;
        m_EndTurn = 0.0;
    }
}

// Of straight on, right and left: the turn whose road, at the end of this
// one, heads most nearly back to the start point.
double Drive::TurnTowardsStart(double length) const
{
    const double home = std::atan2(-m_East, -m_North) / kDeg;
    const double atEnd = m_RoadHeading + m_Curvature * length;
    double best = 0.0, bestErr = 1e9;
    for (double c : {0.0, 90.0, -90.0}) {
        const double err = std::fabs(Wrap180(atEnd + c - home));
        if (err < bestErr) {
            bestErr = err;
            best = c;
        }
    }
    return best;
}

void Drive::Step(double dt)
{
    if (m_Hold > 0.0) {
        m_Speed = m_Accel = m_YawRate = 0.0;
        m_Hold -= dt;
        if (m_Hold < 0.0)
            m_Hold = 0.0;
        return;
    }
    const double headingError = Wrap180(m_RoadHeading - m_Heading);
    ChangeSpeed(TargetSpeed(headingError), dt);
    Steer(headingError, dt);
    Move(dt);
    EndRoad();
}

// The speed the driver aims for now: the road's cruise, slowed to finish a
// corner, to stop at a light or to take the turn at the end.
double Drive::TargetSpeed(double headingError) const
{
    double target = std::min(m_Cruise + m_Wobble, kMaxSpeed);
    if (std::fabs(headingError) > 15.0)
        target = std::min(target, m_CornerSpeed);  // finish the corner first
    if (m_RoadEnd == RoadEnd::Light)
        target = std::min(target, std::sqrt(2.0 * kBraking * std::max(m_Remaining - 1.0, 0.0)));
    else if (m_RoadEnd == RoadEnd::Turn)
        target = std::min(target, std::sqrt(m_EndSpeed * m_EndSpeed + 2.0 * kBraking * std::max(m_Remaining, 0.0)));
    return target;
}

// Acceleration follows the command with a lag, as the engine and the
// driver's foot do; the car never rolls backwards.
void Drive::ChangeSpeed(double target, double dt)
{
    const double maxAccel = 2.1 - 0.045 * m_Speed;
    const double command = std::clamp((target - m_Speed) / 0.9, -3.5, maxAccel);
    m_Accel += (command - m_Accel) * std::min(1.0, dt / 0.5);
    m_Speed += m_Accel * dt;
    if (m_Speed <= 0.0) {
        m_Speed = 0.0;
        m_Accel = std::max(m_Accel, 0.0);
    }
}

// A car cannot turn on the spot, and at speed the turn rate is bounded by a
// comfortable lateral acceleration.
void Drive::Steer(double headingError, double dt)
{
    const double maxRate = m_Speed < 0.2 ? 0.0 : std::min(24.0, 3.0 / m_Speed / kDeg);
    const double rateCommand = std::clamp(headingError * 1.5, -maxRate, maxRate);
    m_YawRate += (rateCommand - m_YawRate) * std::min(1.0, dt / 0.4);
    if (m_Speed < 0.2)
        m_YawRate = 0.0;
    m_Heading = Wrap360(m_Heading + m_YawRate * dt);
}

// The car and the road under it move on by the distance driven.
void Drive::Move(double dt)
{
    const double ds = m_Speed * dt;
    m_North += ds * std::cos(m_Heading * kDeg);
    m_East += ds * std::sin(m_Heading * kDeg);
    m_RoadHeading = Wrap360(m_RoadHeading + m_Curvature * ds);
    m_Remaining -= ds;
}

// At a light the car stops and waits before turning; elsewhere it takes the
// turn at the end of the road as it drives on.
void Drive::EndRoad()
{
    if (m_RoadEnd == RoadEnd::Light) {
        if (m_Remaining < 4.0 && m_Speed < 0.25) {
            m_Speed = m_Accel = m_YawRate = 0.0;
            m_Hold = m_LightWait;
            m_RoadHeading = Wrap360(m_RoadHeading + m_EndTurn);
            m_CornerSpeed = 5.0;
            PlanRoad();
        }
    } else if (m_Remaining <= 0.0) {
        m_RoadHeading = Wrap360(m_RoadHeading + m_EndTurn);
        m_CornerSpeed = std::min(m_EndSpeed, 10.0);
        PlanRoad();
    }
}

}  // namespace orvane::loggen
