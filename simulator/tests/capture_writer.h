// Packet captures made by the tests with libpcap's dump functions, as a
// capture at a site would hold them: each datagram in an IPv4/UDP frame of
// the chosen link type.
#ifndef VEKXSIM_TEST_CAPTURE_WRITER_H
#define VEKXSIM_TEST_CAPTURE_WRITER_H

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "traffic_recorder.h"

namespace vekx_test {

struct Frame {
  std::chrono::microseconds time;
  std::string from, to;  // dotted IPv4 addresses
  std::uint16_t from_port, to_port;
  std::vector<std::uint8_t> payload;
  std::size_t cut = 0;  // keep only this many bytes of the frame (0: all)
};

// link_type: a DLT_ value (Ethernet, Linux cooked SLL/SLL2, loopback).
void write_pcap(const std::string &path, const std::vector<Frame> &frames, int link_type = 1);

// The frames of a terminal's traffic record: the terminal at 10.1.2.3:1701,
// its clients at 10.1.2.100 on their own ports.
std::vector<Frame> frames_of(const std::vector<vekxsim::TrafficRecord> &traffic);

}  // namespace vekx_test

#endif
