// bustool lpt: the peripheral's 32 registers behind the two-latch adapter on
// a PC parallel port.
#include <CLI/CLI.hpp>

#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "bustool.h"
#include "interaction.h"
#include "lpt/lpt.h"
#include "numbers.h"
#include "platform/port_io.h"

namespace bustool {

namespace {

// The PC's three parallel-port bases, by port number.
struct PortBase {
    int number;
    unsigned short base;
};
constexpr std::array<PortBase, 3> kPorts{{{1, 0x3BC}, {2, 0x378}, {3, 0x278}}};
constexpr long kDefaultPort = 2;
constexpr int kRegisters = 32;
constexpr long kMaxRegister = kRegisters - 1;
constexpr long kMaxByte = 0xFF;
constexpr int kColumns = 16;

struct LptArgs {
    std::string port;
    std::string reg;
    std::string value;
};

unsigned short BaseOf(int port) {
    for (const PortBase &entry : kPorts) {
        if (entry.number == port) {
            return entry.base;
        }
    }
    return kPorts[kDefaultPort - 1].base;
}

int ParsePort(const LptArgs &args) {
    if (args.port.empty()) {
        return static_cast<int>(kDefaultPort);
    }
    return static_cast<int>(ParseArgument("--port", args.port, kPorts.front().number, kPorts.back().number,
                                          Radix::kDecimal));
}

std::string BaseText(unsigned short base) { return HexDigits(base, 3); }

// The port's registers must be granted before the first access.
void OpenPort(int port) {
    const unsigned short base = BaseOf(port);
    const int status = PORT_Acquire(base);
    if (status == PORT_OK) {
        LPT_SelectPort(port);
        return;
    }
    const std::string why = PORT_FailureText();
    const std::string reason = why.empty() ? std::string() : " (" + why + ")";
    if (status == PORT_DENIED) {
        throw Failure(kExitNoAdapter, "Erreur : acces refuse au port parallele " + BaseText(base) + reason);
    }
    throw Failure(kExitNoAdapter, "Erreur : port parallele " + BaseText(base) + " inaccessible" + reason);
}

void SelfTest(const LptArgs &args) {
    const int port = ParsePort(args);
    OpenPort(port);
    if (LPT_SelfTest() != 0) {
        throw Failure(kExitNoAnswer, "Erreur : auto-test du port " + BaseText(BaseOf(port)) +
                                         " en echec (l'adaptateur ne renvoie pas les 256 valeurs)");
    }
    std::printf("Auto-test du port %s : OK\n", BaseText(BaseOf(port)).c_str());
}

int ParseRegister(const LptArgs &args) {
    if (args.reg.empty()) {
        FailUsage("REG manquant");
    }
    return static_cast<int>(ParseArgument("REG", args.reg, 0, kMaxRegister));
}

void Read(const LptArgs &args) {
    const int port = ParsePort(args);
    const int reg = ParseRegister(args);
    OpenPort(port);
    std::printf("0x%02x\n", LPT_ReadRegister(reg));
}

void Write(const LptArgs &args, bool assume_yes) {
    const int port = ParsePort(args);
    const int reg = ParseRegister(args);
    if (args.value.empty()) {
        FailUsage("VALUE manquant");
    }
    const int value = static_cast<int>(ParseArgument("VALUE", args.value, 0, kMaxByte));
    char what[96];
    std::snprintf(what, sizeof what, "Ecriture de 0x%02x dans le registre 0x%02x (port %s).", value, reg,
                  BaseText(BaseOf(port)).c_str());
    ConfirmWrite(assume_yes, what);
    OpenPort(port);
    LPT_WriteRegister(reg, value);
}

void Dump(const LptArgs &args) {
    const int port = ParsePort(args);
    OpenPort(port);
    std::printf("   ");
    for (int column = 0; column < kColumns; ++column) {
        std::printf(" %2x", column);
    }
    for (int reg = 0; reg < kRegisters; ++reg) {
        if (reg % kColumns == 0) {
            std::printf("\n%02x:", reg);
        }
        std::printf(" %02x", LPT_ReadRegister(reg));
    }
    std::printf("\n");
}

}  // namespace

void AddLptCommands(Tool &tool, CLI::App &app) {
    auto args = std::make_shared<LptArgs>();
    CLI::App *lpt = tool.AddGroup(app, "lpt", "Registres du peripherique sur le port parallele",
                                  "bustool [-y] lpt [--port 1|2|3] selftest|read|write|dump ...");
    lpt->add_option("--port", args->port, "Port parallele : 1 (0x3bc), 2 (0x378, par defaut) ou 3 (0x278)")
        ->type_name("1|2|3")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);

    tool.AddCommand(*lpt, "selftest", "Boucle les 256 valeurs a travers le verrou de donnees",
                    "bustool lpt [--port 1|2|3] selftest", [args] { SelfTest(*args); });
    CLI::App *read = tool.AddCommand(*lpt, "read", "Lit le registre REG", "bustool lpt [--port 1|2|3] read REG",
                                     [args] { Read(*args); });
    read->add_option("REG", args->reg, "Registre 0 a 31 (0x1f)")->type_name("");
    CLI::App *write = tool.AddCommand(*lpt, "write", "Ecrit VALUE dans le registre REG",
                                      "bustool [-y] lpt [--port 1|2|3] write REG VALUE",
                                      [args, &tool] { Write(*args, tool.assume_yes); });
    write->add_option("REG", args->reg, "Registre 0 a 31 (0x1f)")->type_name("");
    write->add_option("VALUE", args->value, "Octet a ecrire, 0 a 0xff")->type_name("");
    tool.AddCommand(*lpt, "dump", "Affiche les 32 registres", "bustool lpt [--port 1|2|3] dump",
                    [args] { Dump(*args); });
}

}  // namespace bustool
