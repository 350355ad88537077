// The command protocol: the host steers an instance by named commands whose arguments and
// answers travel in the call's parameter list.
#include <map>

#include "plugin/call_context.h"
#include "plugin/call_params.h"
#include "plugin/kro_plugin.h"
#include "support/application_error.h"
#include "support/assertion.h"
#include "support/text_lines.h"

namespace cjt {

namespace {

constexpr char Unit[] = "kroPluginModule";

// One command at a time per instance, and none inside another on the same thread.
class TCommandBracket {
 public:
  explicit TCommandBracket(TkroPlugin& plugin) : Plugin(plugin) {
    Plugin.CommandLock.Enter();
    if (++Plugin.CommandDepth != 1) {
      Leave();
      CJT_ASSERT_MSG(false, "Nested plugin commands are not allowed", Unit);
    }
  }
  ~TCommandBracket() { Leave(); }
  TCommandBracket(const TCommandBracket&) = delete;
  TCommandBracket& operator=(const TCommandBracket&) = delete;

 private:
  void Leave() {
    --Plugin.CommandDepth;
    Plugin.CommandLock.Leave();
  }
  TkroPlugin& Plugin;
};

}  // namespace

class TCommandRunner {
 public:
  TCommandRunner(TkroPlugin& plugin, const std::string& command, TPluginCallRecord& record)
      : Plugin(plugin), Command(command), Record(record), Params(ParamsOf(record)) {}

  int32_t Run() {
    if (auto window = GivenInteger(Params, "MSG-PROC-HANDLE")) Plugin.HostWindow = static_cast<uint32_t>(*window);
    if (auto form = GivenInteger(Params, "OWNER-FORM")) Plugin.OwnerForm = static_cast<uint32_t>(*form);
    using TCommand = int32_t (TCommandRunner::*)();
    static const std::map<std::string, TCommand> commands = {
        {"EVENT", &TCommandRunner::Event},
        {"LOAD", &TCommandRunner::Load},
        {"UNLOAD", &TCommandRunner::Unload},
        {"SET-ITEMS", &TCommandRunner::SetItems},
        {"SET-STATE", &TCommandRunner::SetState},
        {"ITEMS", &TCommandRunner::Items},
        {"EVENTS-SUPPORT", &TCommandRunner::EventsSupport},
        {"GET-MODULE-PARAMETER", &TCommandRunner::GetModuleParameter},
        {"SET-MODULE-PARAMETER", &TCommandRunner::SetModuleParameter},
        {"SAVE-SETTINGS-NOW", &TCommandRunner::SaveSettingsNow},
        {"LOAD-SETTINGS-NOW", &TCommandRunner::LoadSettingsNow},
    };
    auto found = commands.find(Command);
    return found != commands.end() ? (this->*found->second)() : Other();
  }

 private:
  // Runs a handler; its exception becomes -3 and an error-log entry under operation.
  template <class THandler>
  int32_t Handled(const char* operation, int32_t result, THandler&& handler) {
    try {
      handler(result);
      return result;
    } catch (...) {
      Plugin.LogError(operation, std::current_exception());
      return -3;
    }
  }

  int32_t Event() {
    const std::optional<std::string> eventType = GivenText(Params, "EVENT-TYPE");
    if (!eventType) return -1;
    if (!Plugin.OnEvent) return 0;
    return Handled(Command.c_str(), -1, [&](int32_t& result) { Plugin.OnEvent(Plugin, *eventType, result, Record); });
  }

  // LOAD answers 0 whatever its handler says; only an exception changes that.
  int32_t Load() {
    return Handled("LOAD", 0, [&](int32_t&) {
      int32_t handlerResult = 0;
      Plugin.Load(Record, handlerResult);
    });
  }

  int32_t Unload() {
    int32_t handlerResult = 0;
    Plugin.Unload(Record, handlerResult);
    return 0;
  }

  int32_t SetItems() {
    const std::optional<TVariant> items = GivenParam(Params, "ITEMS");
    if (!items || !items->IsText()) return -1;
    SetParserItemsFromText(Plugin.ParserItems, items->AsString(), true);
    if (Plugin.OnSetItems) Plugin.OnSetItems(Plugin);
    return 0;
  }

  int32_t SetState() {
    int32_t result = -1;
    if (auto lines = GivenText(Params, "DATA-SOURCES-IN-CFG")) ReadConfigDataSources(*lines, result);
    if (auto loadFor = GivenText(Params, "DATA-SOURCE-LOAD")) Plugin.DataSourceLoadFor = *loadFor;
    const std::optional<TVariant> enable = GivenParam(Params, ResultParam);
    if (!enable) return result;
    const bool enabled = enable->AsInteger() == 1;
    for (int type = 0; type < 8; ++type)
      if (Record.Mode & (1u << type)) Plugin.EnabledTypes[type] = enabled;
    if (Plugin.OnChangeState) Plugin.OnChangeState(Plugin, Record.Mode);
    return 0;
  }

  void ReadConfigDataSources(const std::string& text, int32_t& result) {
    Plugin.ConfigDataSources.clear();
    for (std::string_view line : SplitLines(text)) {
      try {
        TConfigDataSource source;
        if (ParseConfigDataSource(line, source)) Plugin.ConfigDataSources.push_back(std::move(source));
      } catch (...) {
        result = -3;
        Plugin.LogError("SETSTATE", std::current_exception());
      }
    }
  }

  int32_t Items() {
    if (!HasParam(Params, ResultParam)) return -1;
    if (Plugin.OnBeforeGetParserItems) Plugin.OnBeforeGetParserItems(Plugin);
    Plugin.ParserItemsText = ParserItemsText(Plugin.ParserItems);
    SetResult(Params, TVariant(Plugin.ParserItemsText));
    return 0;
  }

  int32_t EventsSupport() {
    SetResult(Params, TVariant(Plugin.EventsSupported));
    return 0;
  }

  int32_t GetModuleParameter() {
    const std::optional<std::string> name = GivenText(Params, "PARAM");
    if (!name) return -2;
    SetResult(Params, Plugin.GetModuleParameter(*name));
    return 0;
  }

  int32_t SetModuleParameter() {
    const std::optional<std::string> name = GivenText(Params, "PARAM");
    if (!name) return -2;
    const TVariant value = GivenParam(Params, "VALUE").value_or(TVariant::Null());
    SetResult(Params, TVariant(Plugin.SetModuleParameter(*name, value)));
    return 0;
  }

  int32_t SaveSettingsNow() { return Settings(false); }
  int32_t LoadSettingsNow() { return Settings(true); }

  // The INI file of the command stands in for the instance's while it runs.
  int32_t Settings(bool load) {
    const std::string previous = Plugin.INIFile;
    try {
      Plugin.INIFile = GivenText(Params, "INI-FILE").value_or("");
      if (load && Plugin.OnLoadSettingsNow) Plugin.OnLoadSettingsNow(Plugin);
      if (Plugin.OnSaveSettingsNow && GivenInteger(Params, "NO-SAVE").value_or(0) == 0)
        Plugin.OnSaveSettingsNow(Plugin);
    } catch (...) {
      Plugin.INIFile = previous;
      throw;
    }
    Plugin.INIFile = previous;
    return -2;
  }

  int32_t Other() {
    if (!Plugin.OnCommand) return -2;
    return Handled(Command.c_str(), -2, [&](int32_t& result) { Plugin.OnCommand(Plugin, Command, result, Record); });
  }

  TkroPlugin& Plugin;
  const std::string& Command;
  TPluginCallRecord& Record;
  IkroParamsListA* Params;
};

// An exception that no command row handles gives -3, and its report goes to the log.
int32_t TkroPlugin::ExecuteCommand(const std::string& command, TPluginCallRecord& record) {
  try {
    TCommandBracket bracket(*this);
    return TCommandRunner(*this, command, record).Run();
  } catch (...) {
    AddLog(LogLevelError, DescribeException(std::current_exception()));
    return -3;
  }
}

}  // namespace cjt
