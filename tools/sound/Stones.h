#pragma once
// Stones clicking into wood, modelled physically: a short contact pulse (shorter for harder
// bodies, hence brighter) with a burst of noise drives the damped resonant modes of the falling
// stone, of what it strikes and of the air in the pit.
#include "tools/sound/Synth.h"

namespace kelani::sound {

// What a stone strikes: the resonances it excites, how hard the contact is, and how freely the
// falling stone itself can ring against it.
struct Surface {
    std::vector<Mode> modes;
    double contactSeconds; // duration of the contact pulse
    double noise;          // share of the contact noise burst
    double stoneLevel;     // how loud the falling stone's own modes sound
    double stoneDamping;   // scales their decay: wood and skin damp a stone, stones barely do
};

Surface EmptyPit(); // the bare wooden bowl of an ordinary pit, with its small air cavity
Surface HeadPit();  // the long head pit: a larger, lower cavity and a longer-ringing board
Surface OnStones(); // the stones already lying in a pit: hard, bright, the wood muffled
Surface InHand();   // stones knocking together in a hand: the skin damps everything

// One impact at `time` seconds: `strength` 0..1, `pan` -1..1. Each call varies the modes a
// little, so no two stones sound alike.
void AddImpact(Signal& signal, double time, double strength, double pan, const Surface& surface, Rng& rng);

// A stone dropped from the hand: the first impact, then `bounces` rebounds whose gaps and
// strengths shrink by the coefficient of restitution.
void AddDrop(Signal& signal, double time, double strength, double pan, const Surface& surface, int bounces,
             Rng& rng);

// `stones` poured at once between `start` and `start + length`: dense at first, thinning out;
// the first few land on `first`, the rest on the stones already lying there (`later`).
void AddCascade(Signal& signal, double start, double length, int stones, const Surface& first,
                const Surface& later, Rng& rng);

// Stones shifting against each other: `clicks` soft knocks at random times within the span.
void AddRattle(Signal& signal, double start, double length, int clicks, const Surface& surface, Rng& rng);

// A stone rolling to rest: ever smaller, ever closer ticks.
void AddRoll(Signal& signal, double start, double strength, double pan, const Surface& surface, Rng& rng);

// Fingers brushing over wood: a soft low-passed noise swell.
void AddScrape(Signal& signal, double start, double length, double strength, Rng& rng);

} // namespace kelani::sound
