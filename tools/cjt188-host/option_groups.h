// Groups of the program's options that are described and read apart from the data source,
// configuration and output options: reconnecting after line faults, and MQTT output.
#pragma once

#include <cxxopts.hpp>
#include <string>

#include "tools/cjt188-host/host_options.h"

namespace cjt::host {

inline const std::string ReconnectGroup = "Line faults";
inline const std::string MqttGroup = "MQTT output";

void DescribeReconnectOptions(cxxopts::Options& options);
void ReadReconnectOptions(const cxxopts::ParseResult& result, THostOptions& options);

void DescribeMqttOptions(cxxopts::Options& options);
// Throws EOptions for a bad broker address, topic or password file.
void ReadMqttOptions(const cxxopts::ParseResult& result, THostOptions& options);

}  // namespace cjt::host
