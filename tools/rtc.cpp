// bustool rtc: the PCF8583-style clock/calendar chip at 0xa0 or 0xa2.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "bustool.h"
#include "i2c/rtc.h"
#include "interaction.h"
#include "numbers.h"

namespace bustool {

namespace {

constexpr int kFirstAddress = 0xA0;  // write address of select 0
constexpr long kMaxSelect = 1;
constexpr long kMaxWeekday = 6;
constexpr long kMaxHours = 23;
constexpr long kMaxMinutes = 59;
constexpr long kMaxSeconds = 59;
constexpr long kMaxRegister = 0xFF;  // control, clock and RAM bytes
constexpr long kMaxByte = 0xFF;

struct RtcArgs {
    std::string select = "0";
    std::string weekday;
    std::string time;
    std::string reg;
    std::string value;
};

struct Time {
    int hours;
    int minutes;
    int seconds;
};

int ParseSelect(const RtcArgs &args) {
    return static_cast<int>(ParseArgument("--select", args.select, 0, kMaxSelect, Radix::kDecimal));
}

std::string Address(int select) { return HexDigits(kFirstAddress + 2 * select, 2); }

std::string NoAnswer(int select) { return "Erreur : pas de reponse de l'horloge " + Address(select); }

// HH:MM:SS, each field one or two decimal digits, checked here: the driver
// would quietly clamp 25:00:00 to 23:00:00.
Time ParseTime(const std::string &text) {
    int fields[3] = {0, 0, 0};
    int field = 0;
    int digits = 0;
    for (const char c : text) {
        if (c == ':' && digits > 0 && field < 2) {
            ++field;
            digits = 0;
        } else if (c >= '0' && c <= '9' && digits < 2) {
            fields[field] = fields[field] * 10 + (c - '0');
            ++digits;
        } else {
            FailUsage("heure invalide : '" + text + "' (attendu HH:MM:SS)");
        }
    }
    if (field != 2 || digits == 0) {
        FailUsage("heure invalide : '" + text + "' (attendu HH:MM:SS)");
    }
    if (fields[0] > kMaxHours || fields[1] > kMaxMinutes || fields[2] > kMaxSeconds) {
        FailUsage("heure hors limites : " + text + " (de 00:00:00 a 23:59:59)");
    }
    return Time{fields[0], fields[1], fields[2]};
}

void Start(const RtcArgs &args, bool assume_yes) {
    const int select = ParseSelect(args);
    ConfirmWrite(assume_yes, "Mise en marche de l'horloge " + Address(select) + " (registre de controle a 0).");
    OpenBus();
    RequireAck(RTC_Start(select), NoAnswer(select));
}

void Get(const RtcArgs &args) {
    const int select = ParseSelect(args);
    OpenBus();
    int weekday = 0;
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    RequireAck(RTC_GetTime(select, &weekday, &hours, &minutes, &seconds), NoAnswer(select));
    std::printf("%d %02d:%02d:%02d\n", weekday, hours, minutes, seconds);
}

void Set(const RtcArgs &args, bool assume_yes) {
    const int select = ParseSelect(args);
    if (args.weekday.empty() || args.time.empty()) {
        FailUsage("WEEKDAY et HH:MM:SS attendus");
    }
    const int weekday = static_cast<int>(ParseArgument("WEEKDAY", args.weekday, 0, kMaxWeekday, Radix::kDecimal));
    const Time time = ParseTime(args.time);
    char what[96];
    std::snprintf(what, sizeof what, "Mise a l'heure de l'horloge %s : jour %d, %02d:%02d:%02d.",
                  Address(select).c_str(), weekday, time.hours, time.minutes, time.seconds);
    ConfirmWrite(assume_yes, what);
    OpenBus();
    RequireAck(RTC_SetTime(select, weekday, time.hours, time.minutes, time.seconds), NoAnswer(select));
}

void ReadRegister(const RtcArgs &args) {
    const int select = ParseSelect(args);
    if (args.reg.empty()) {
        FailUsage("REG manquant");
    }
    const int reg = static_cast<int>(ParseArgument("REG", args.reg, 0, kMaxRegister));
    OpenBus();
    int value = 0;
    RequireAck(RTC_ReadRegister(select, reg, &value), NoAnswer(select));
    std::printf("0x%02x\n", value);
}

void WriteRegister(const RtcArgs &args, bool assume_yes) {
    const int select = ParseSelect(args);
    if (args.reg.empty() || args.value.empty()) {
        FailUsage("REG et VALUE attendus");
    }
    const int reg = static_cast<int>(ParseArgument("REG", args.reg, 0, kMaxRegister));
    const int value = static_cast<int>(ParseArgument("VALUE", args.value, 0, kMaxByte));
    char what[96];
    std::snprintf(what, sizeof what, "Ecriture de 0x%02x dans le registre 0x%02x de l'horloge %s.", value, reg,
                  Address(select).c_str());
    ConfirmWrite(assume_yes, what);
    OpenBus();
    RequireAck(RTC_WriteRegister(select, reg, value), NoAnswer(select));
}

}  // namespace

void AddRtcCommands(Tool &tool, CLI::App &app) {
    auto args = std::make_shared<RtcArgs>();
    CLI::App *rtc = tool.AddGroup(app, "rtc", "Horloge calendrier (0xa0, ou 0xa2 avec --select 1)",
                                  "bustool [-y] rtc [--select 0|1] start|get|set|reg ...");
    rtc->add_option("--select", args->select, "Broche d'adresse de l'horloge : 0 (0xa0, par defaut) ou 1 (0xa2)")
        ->type_name("0|1")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);

    tool.AddCommand(*rtc, "start", "Met l'horloge en marche", "bustool [-y] rtc [--select 0|1] start",
                    [args, &tool] { Start(*args, tool.assume_yes); });
    tool.AddCommand(*rtc, "get", "Affiche le jour (0 a 7) et l'heure : J HH:MM:SS",
                    "bustool rtc [--select 0|1] get", [args] { Get(*args); });

    CLI::App *set = tool.AddCommand(*rtc, "set", "Met a l'heure et demarre l'horloge",
                                    "bustool [-y] rtc [--select 0|1] set WEEKDAY HH:MM:SS",
                                    [args, &tool] { Set(*args, tool.assume_yes); });
    set->add_option("WEEKDAY", args->weekday, "Jour de la semaine, 0 a 6")->type_name("");
    set->add_option("HH:MM:SS", args->time, "Heure, de 00:00:00 a 23:59:59")->type_name("");

    CLI::App *reg = tool.AddGroup(*rtc, "reg", "Acces direct a un registre",
                                  "bustool [-y] rtc [--select 0|1] reg read|write ...");
    CLI::App *read = tool.AddCommand(*reg, "read", "Lit le registre REG", "bustool rtc [--select 0|1] reg read REG",
                                     [args] { ReadRegister(*args); });
    read->add_option("REG", args->reg, "Registre 0 a 0xff")->type_name("");
    CLI::App *write = tool.AddCommand(*reg, "write", "Ecrit VALUE dans le registre REG",
                                      "bustool [-y] rtc [--select 0|1] reg write REG VALUE",
                                      [args, &tool] { WriteRegister(*args, tool.assume_yes); });
    write->add_option("REG", args->reg, "Registre 0 a 0xff")->type_name("");
    write->add_option("VALUE", args->value, "Octet a ecrire, 0 a 0xff")->type_name("");
}

}  // namespace bustool
