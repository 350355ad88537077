// cjt188-host: loads the plug-in library by file name and drives one instance through its
// exported functions the way a data-logging host does, printing what the plug-in answers,
// logs and sends.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "platform/thread.h"
#include "plugin/call_record.h"
#include "tools/cjt188-host/host_exports.h"
#include "tools/cjt188-host/host_session.h"

using namespace cjt;
using namespace cjt::host;

namespace {

void PrintUsage() {
  std::puts(
      "usage: cjt188-host --plugin FILE\n"
      "  Loads the plug-in library FILE and runs an instance's life cycle: create, LOAD,\n"
      "  ITEMS, SET-STATE, log, UNLOAD, free and the release request.");
}

std::string Text(const TVariant& value) {
  try {
    return value.IsNull() ? "(null)" : value.AsString();
  } catch (const std::exception&) {
    return "(" + VarTypeName(value.Type()) + ")";
  }
}

void PrintAnswer(const char* command, const TCommandAnswer& answer) {
  std::printf("%s -> %d", command, answer.Result);
  const std::string value = Text(answer.Value);
  if (!value.empty()) std::printf(", RESULT:\n%s", value.c_str());
  std::printf("\n");
}

// Log lines start with the level character; it is printed as a level number.
void PrintLog(THostSession& session) {
  platform::PumpMessagesFor(10);
  const std::string log = session.TakeLog();
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find("\r\n", start);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(start, end - start);
    if (!line.empty()) std::printf("log[%d] %s\n", (line[0] & 0x7F) - 1, line.c_str() + 1);
    start = end + 2;
  }
}

int32_t PrintSent(const TSentData& sent) {
  std::printf("sent kind 0x%02X from data source %u, connection %u\n", sent.Kind, sent.DataSourceId,
              sent.ConnectionKey);
  if (!sent.PacketText.empty()) std::printf("  packet: %s\n", sent.PacketText.c_str());
  for (const auto& [name, value] : sent.Values) std::printf("  %s = %s\n", name.c_str(), value.c_str());
  return static_cast<int32_t>(sent.Bytes.size());
}

int RunLifeCycle(const std::string& pluginFile) {
  TPluginLibrary library(pluginFile);
  SetSendHandler(PrintSent);
  THostSession session(library);
  std::printf("CreatePluginInstance -> %d\n", session.Create({{"TEMPORARY-LOAD", TVariant(false)}}));
  PrintAnswer("LOAD", session.Load({{"APPLICATION-NAME", TVariant("cjt188-host")}}));
  PrintAnswer("ITEMS", session.Command("ITEMS"));
  PrintAnswer("GET-MODULE-PARAMETER DisplayFullVersion",
              session.Command("GET-MODULE-PARAMETER", {{"PARAM", TVariant("DisplayFullVersion")}}));
  PrintAnswer("SET-STATE", session.Command("SET-STATE", {{"DATA-SOURCES-IN-CFG", TVariant("1;COM1;Serial port 1")},
                                                         {"RESULT", TVariant(int32_t{1})}}));
  PrintLog(session);
  PrintAnswer("UNLOAD", session.Command("UNLOAD"));
  PrintLog(session);
  std::printf("FreePluginInstance -> %d\n", session.Free());
  std::printf("release request -> %d\n", session.ReleaseRequest());
  SetSendHandler(nullptr);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string pluginFile;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--plugin") == 0 && i + 1 < argc) {
      pluginFile = argv[++i];
    } else {
      PrintUsage();
      return std::strcmp(argv[i], "--help") == 0 ? 0 : 2;
    }
  }
  if (pluginFile.empty()) {
    PrintUsage();
    return 2;
  }
  try {
    return RunLifeCycle(pluginFile);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "cjt188-host: %s\n", error.what());
    return 1;
  }
}
