// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The car: a driver on roads of random length and bend through Seoul, with
// traffic lights, turns and straight-through junctions between them, driven
// with bounded acceleration and turn rate.

#include <cstdint>

#include "Random.h"

namespace orvane::loggen {

// Starting point: in front of Seoul Station, facing south on Hangang-daero.
inline constexpr double kStartLat = 37.5554652;
inline constexpr double kStartLon = 126.9715542;
inline constexpr double kStartHeading = 172.0;

// Below this speed the car counts as standing: the signals fade as for a
// parked car and the receiver holds its position error and course.
inline constexpr double kStandingSpeed = 0.3;  // m/s

class Drive {
public:
    // The car waits at the kerb for a few seconds, then sets off south on a
    // main road. The route depends on the seed only.
    explicit Drive(uint64_t seed);

    // Moves the car on by one second.
    void AdvanceOneSecond();

    double North() const { return m_North; }
    double East() const { return m_East; }
    double Speed() const { return m_Speed; }
    double Heading() const { return m_Heading; }
    int Urban() const { return m_Urban; }

private:
    enum class RoadEnd { Light, Turn, Through };

    void PlanRoad();
    double ChooseRoad();
    void ChooseJunction();
    double TurnTowardsStart(double length) const;

    void Step(double dt);
    double TargetSpeed(double headingError) const;
    void ChangeSpeed(double target, double dt);
    void Steer(double headingError, double dt);
    void Move(double dt);
    void EndRoad();

    Rng m_Random;

    double m_North = 0.0, m_East = 0.0;  // m from the start point
    double m_Speed = 0.0;                // m/s
    double m_Accel = 0.0;                // m/s^2
    double m_Heading = kStartHeading;    // deg true
    double m_YawRate = 0.0;              // deg/s
    double m_RoadHeading = kStartHeading;
    double m_Curvature = 0.0;  // deg of road bend per metre
    double m_Remaining = 0.0;  // m to the end of the current road
    double m_Cruise = 0.0;     // m/s the driver aims for on this road
    double m_Wobble = 0.0;     // m/s of driver speed variation
    RoadEnd m_RoadEnd = RoadEnd::Through;
    double m_EndTurn = 0.0;      // deg, applied at the end of the road
    double m_EndSpeed = 0.0;     // m/s to take the corner at
    double m_CornerSpeed = 5.0;  // m/s while finishing the current corner
    double m_LightWait = 0.0;    // s to stand at the light at the end
    double m_Hold = 0.0;         // s left standing still
    int m_Urban = 1;             // 0 open, 1 mid-rise, 2 dense street canyon
};

}  // namespace orvane::loggen
