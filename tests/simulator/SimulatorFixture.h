// A simulator of its own for each test, reached through a bare serial handle
// at the radio's speed.
#pragma once

#include "RawSerialPort.h"
#include "SimulatedTransceiver.h"

#include <gtest/gtest.h>

// Long enough for any reply of these tests to have arrived, short enough to
// keep the run quick when none is coming.
constexpr DWORD kNoReplyMs = 200;

class SimulatorTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(radio.Start());
        ASSERT_TRUE(port.Open(radio.PortName(), 38400)) << "error " << GetLastError();
    }

    // Sends and waits for one ";"-terminated reply; empty when none came.
    std::string Ask(const std::string& command, DWORD timeoutMs = 1000)
    {
        EXPECT_TRUE(port.Write(command)) << "error " << GetLastError();
        const std::string reply = port.ReadReply(timeoutMs);
        return reply.empty() || reply.back() != ';' ? std::string() : reply;
    }

    // Milliseconds since `start` (a QueryPerformanceCounter count).
    static double Elapsed(LONGLONG start)
    {
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        return (now.QuadPart - start) * 1000.0 / frequency.QuadPart;
    }
    static LONGLONG Now()
    {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return now.QuadPart;
    }

    CSimulatedTransceiver radio;
    CRawSerialPort port;
};
