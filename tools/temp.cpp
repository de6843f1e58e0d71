// bustool temp: one measurement, or the configuration byte, of a DS1621-style
// thermometer.
#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "app/celsius_text.h"
#include "bustool.h"
#include "i2c/temp.h"
#include "interaction.h"
#include "numbers.h"

namespace bustool {

namespace {

constexpr long kMaxIndex = 7;              // A2..A0 address pins
constexpr int kFirstAddress = 0x90;        // write address of index 0
constexpr long kMaxConfig = 0xFF;
// The chip needs up to a second per conversion; twice that means it is not
// converting at all (or the link no longer reads the bus).
constexpr std::chrono::milliseconds kConversionTimeout{2000};

struct TempArgs {
    std::string index;
    std::string config_index;
    std::string config_value;
};

std::string Address(int index) { return HexDigits(kFirstAddress + 2 * index, 2); }

std::string NoAnswer(int index) { return "Erreur : pas de reponse du thermometre " + Address(index); }

int ParseIndex(const std::string &text) {
    return static_cast<int>(ParseArgument("INDEX", text, 0, kMaxIndex, Radix::kDecimal));
}

// One-shot mode, one conversion, both readings: the console program's cycle,
// once.
void Measure(const TempArgs &args) {
    const int index = args.index.empty() ? 0 : ParseIndex(args.index);
    OpenBus();
    RequireAck(TEMP_Init(index), NoAnswer(index));
    RequireAck(TEMP_StartConversion(index), "Erreur lors du trigger");
    const auto deadline = std::chrono::steady_clock::now() + kConversionTimeout;
    for (int done = 0; done == 0;) {
        RequireAck(TEMP_IsDone(index, &done), "Erreur a la lecture status");
        if (done == 0 && std::chrono::steady_clock::now() > deadline) {
            throw Failure(kExitNoAnswer, "Erreur : la conversion ne se termine pas (thermometre " +
                                             Address(index) + ")");
        }
    }
    int standard = 0;
    int precise = 0;
    RequireAck(TEMP_Read(index, &standard), "Erreur a la lecture temperature");
    RequireAck(TEMP_ReadPrecise(index, &precise), "Erreur a la lecture temperature");
    // The console program's line, with its exact rounding.
    std::printf("Temp1=%s   Temp2=%s\n", thermo::FormatCelsius256ths(standard).data(),
                thermo::FormatCelsius256ths(precise).data());
}

void Config(const TempArgs &args, bool assume_yes) {
    const int index = ParseIndex(args.config_index);
    if (args.config_value.empty()) {
        OpenBus();
        int config = 0;
        RequireAck(TEMP_ReadConfig(index, &config), NoAnswer(index));
        std::printf("0x%02x\n", config);
        return;
    }
    const int value = static_cast<int>(ParseArgument("VALUE", args.config_value, 0, kMaxConfig));
    char what[96];
    std::snprintf(what, sizeof what, "Ecriture de 0x%02x dans la configuration du thermometre %s.", value,
                  Address(index).c_str());
    ConfirmWrite(assume_yes, what);
    OpenBus();
    RequireAck(TEMP_WriteConfig(index, value), NoAnswer(index));
}

}  // namespace

void AddTempCommands(Tool &tool, CLI::App &app) {
    auto args = std::make_shared<TempArgs>();
    CLI::App *temp = tool.AddCommand(app, "temp", "Une mesure : temperature standard et haute resolution",
                                     "bustool temp [INDEX]", [args] { Measure(*args); });
    temp->add_option("INDEX", args->index, "Thermometre 0 a 7 (adresse 0x90 + 2 x INDEX), 0 par defaut")
        ->type_name("");

    CLI::App *config = tool.AddCommand(*temp, "config", "Lit, ou ecrit, l'octet de configuration",
                                       "bustool [-y] temp config INDEX [VALUE]", [args, &tool] {
                                           if (!args->index.empty()) {
                                               FailUsage("INDEX se donne apres 'config'");
                                           }
                                           if (args->config_index.empty()) {
                                               FailUsage("INDEX manquant");
                                           }
                                           Config(*args, tool.assume_yes);
                                       });
    config->add_option("INDEX", args->config_index, "Thermometre 0 a 7")->type_name("");
    config->add_option("VALUE", args->config_value, "Octet a ecrire, 0 a 0xff")->type_name("");
}

}  // namespace bustool
