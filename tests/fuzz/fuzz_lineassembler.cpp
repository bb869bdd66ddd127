// SPDX-License-Identifier: GPL-3.0-or-later
// The per-source joining of live bytes: the input is a program of feeds
// from a few sources, live ticks and closes. Every byte fed comes out once,
// and each source's bytes come out in the order they were fed.

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "live/LineAssembler.h"

namespace {

using namespace orvane;

constexpr size_t kSources = 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput input(data, size);
    LineAssembler assembler;
    // Time as the program tells it: each tick moves it on by up to 1.02 s,
    // so rests wait through some ticks and go on at others.
    LineAssembler::Clock::time_point now{};
    std::array<std::string, kSources> fed;        // every byte each source sent
    std::array<std::string, kSources> delivered;  // what came out for each source
    size_t handedOn = 0;                          // every byte that came out

    // A tick or a close-all mixes sources in one text: each source's part
    // is what it had waiting, which is the tail of what it sent.
    const auto takeRests = [&](auto&& passOn) {
        std::array<size_t, kSources> waitingBefore{};
        for (size_t s = 0; s < kSources; ++s)
            waitingBefore[s] = assembler.Waiting(s);
        std::string out;
        passOn(out);
        handedOn += out.size();
        size_t expected = 0;
        for (size_t s = 0; s < kSources; ++s) {
            const size_t waitingAfter = assembler.Waiting(s);
            if (waitingAfter != 0 && waitingAfter != waitingBefore[s])
                fuzz::Fail("a rest was cut");
            if (waitingAfter == 0 && waitingBefore[s] != 0) {
                delivered[s].append(fed[s], fed[s].size() - waitingBefore[s], waitingBefore[s]);
                expected += waitingBefore[s];
            }
        }
        if (out.size() != expected)
            fuzz::Fail("a tick handed on other bytes than the idle rests");
    };

    while (!input.Empty()) {
        const uint8_t op = input.Byte();
        const size_t source = op % kSources;
        switch ((op >> 2) % 4) {
        case 0:
        case 1: {
            // Long feeds now and then, past the waiting limit.
            const size_t length = (op & 0x80) ? size_t(input.Byte()) * 64 : input.Byte() % 32;
            const std::string_view bytes = input.Bytes(length);
            fed[source].append(bytes);
            std::string out;
            assembler.Feed(source, bytes, out, now);
            delivered[source] += out;
            handedOn += out.size();
            if (assembler.Waiting(source) > LineAssembler::kMaxWaiting)
                fuzz::Fail("more than the limit waits");
            break;
        }
        case 2:
            now += std::chrono::milliseconds(input.Byte() * 4);
            takeRests([&](std::string& out) { assembler.PassOnIdle(out, now); });
            break;
        default: {
            std::string out;
            assembler.Close(source, out);
            delivered[source] += out;
            handedOn += out.size();
            if (assembler.Waiting(source) != 0)
                fuzz::Fail("a closed source still waits");
            break;
        }
        }
        for (size_t s = 0; s < kSources; ++s) {
            if (fed[s].compare(0, delivered[s].size(), delivered[s]) != 0)
                fuzz::Fail("a source's bytes came out changed or out of order");
            if (delivered[s].size() + assembler.Waiting(s) != fed[s].size())
                fuzz::Fail("a source's bytes were lost or doubled");
        }
    }
    takeRests([&](std::string& out) { assembler.CloseAll(out); });
    size_t total = 0;
    for (size_t s = 0; s < kSources; ++s) {
        if (delivered[s] != fed[s])
            fuzz::Fail("closing all did not hand on every rest");
        total += fed[s].size();
    }
    if (handedOn != total || assembler.WaitingTotal() != 0)
        fuzz::Fail("bytes lost at the end");
    return 0;
}
