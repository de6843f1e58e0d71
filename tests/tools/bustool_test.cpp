// bustool end to end: exact console text, exit status, and what reached the
// wire (the simulated adapter's transaction log) or the port (the twin's
// access trace).
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "run_tool.h"

namespace {

using tooltest::Outcome;
using tooltest::ReadFile;
using tooltest::WriteFile;
using Env = std::map<std::string, std::string>;
using Args = std::vector<std::string>;

constexpr int kEepromSize = 2048;

class BusTool : public ::testing::Test {
protected:
    void SetUp() override {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = ::testing::TempDir() + "bustool_" + info->name() + "_";
        log_ = Path("wire.log");
        trace_ = Path("port.trace");
        std::remove(log_.c_str());
        std::remove(trace_.c_str());
    }

    std::string Path(const std::string &name) const { return dir_ + name; }

    // The simulated bus: `devices` as FTSIM_DEVICES, no latency, quick
    // conversions and write cycles, every transaction logged.
    Env Bus(const std::string &devices, Env extra = {}) const {
        Env env{{"LD_LIBRARY_PATH", SIM_LIBRARY_DIR},
                {"FTSIM_DEVICES", devices},
                {"FTSIM_LATENCY_US", "0"},
                {"FTSIM_CONVERSION", "2reads"},
                {"FTSIM_WRITE_CYCLE", "2polls"},
                {"FTSIM_LOG", log_},
                {"BUSTOOL_TEST_PORT_TRACE", trace_}};
        for (const auto &[name, value] : extra) {
            env[name] = value;
        }
        return env;
    }

#ifdef BUSTOOL_PATH
    Outcome Tool(const Args &args, const Env &env) const { return tooltest::RunProgram(BUSTOOL_PATH, args, env); }
#endif
    // The twin: simulated port, and "--and" between command lines run in one
    // process, so that a chip keeps what the previous line wrote.
    Outcome Twin(const Args &args, const Env &env) const {
        return tooltest::RunProgram(BUSTOOL_SEQUENCE_PATH, args, env);
    }

    std::string Wire() const { return ReadFile(log_); }
    std::string Port() const { return ReadFile(trace_); }

    std::vector<std::string> WireLines() const {
        std::vector<std::string> lines;
        std::istringstream in(Wire());
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    std::string dir_;
    std::string log_;
    std::string trace_;
};

std::string Success(const Outcome &outcome) {
    return "exit " + std::to_string(outcome.status) + ", stderr: " + outcome.err;
}

// ---- scan ------------------------------------------------------------------

#ifdef BUSTOOL_PATH

TEST_F(BusTool, ScanFindsTheThermometerAndTheEightEepromBlocks) {
    const Outcome run = Tool({"scan"}, Bus("therm,eeprom"));
    EXPECT_EQ(run.status, 0) << Success(run);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "Adresses d'ecriture sur 8 bits (ligne + colonne), -- : pas de reponse\n"
              "    00 02 04 06 08 0a 0c 0e 10 12 14 16 18 1a 1c 1e\n"
              "00: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n"
              "20: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n"
              "40: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n"
              "60: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n"
              "80: -- -- -- -- -- -- -- -- 90 -- -- -- -- -- -- --\n"
              "a0: a0 a2 a4 a6 a8 aa ac ae -- -- -- -- -- -- -- --\n"
              "c0: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n"
              "e0: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n");

    // One probe per 7-bit address: start, write address, acknowledge, stop.
    const std::vector<std::string> lines = WireLines();
    ASSERT_EQ(lines.size(), 128u) << Wire();
    EXPECT_EQ(lines[0], "S 00- P");
    EXPECT_EQ(lines[0x48], "S 90+ P");
    EXPECT_EQ(lines[0x50], "S A0+ P");
    EXPECT_EQ(lines[0x57], "S AE+ P");
    EXPECT_EQ(lines[0x58], "S B0- P");
    EXPECT_EQ(lines[127], "S FE- P");
}

TEST_F(BusTool, ScanFindsTheClockAtA2AndAThermometerOnOtherPins) {
    const Outcome run = Tool({"scan"}, Bus("therm:5,clock:1"));
    EXPECT_EQ(run.status, 0) << Success(run);
    EXPECT_EQ(run.out,
              "Adresses d'ecriture sur 8 bits (ligne + colonne), -- : pas de reponse\n"
              "    00 02 04 06 08 0a 0c 0e 10 12 14 16 18 1a 1c 1e\n"
              "00: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n"
              "20: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n"
              "40: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n"
              "60: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n"
              "80: -- -- -- -- -- -- -- -- -- -- -- -- -- 9a -- --\n"
              "a0: -- a2 -- -- -- -- -- -- -- -- -- -- -- -- -- --\n"
              "c0: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n"
              "e0: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n");
}

TEST_F(BusTool, NoAdapterLibraryIsExit3WithTheConsoleProgramsMessage) {
    Env env = Bus("therm");
    env["LD_LIBRARY_PATH"] = Path("nowhere");
    const Outcome run = Tool({"scan"}, env);
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Erreur a l'initialisation I2C\n");
}

// ---- thermometer -------------------------------------------------------------

TEST_F(BusTool, TempPrintsOneMeasurementInTheConsoleFormat) {
    struct Case {
        const char *setting;
        const char *value;
        const char *line;
    };
    // Raw bytes: temperature MSB, LSB, counter, slope. Ties round away from zero.
    const Case cases[] = {
        {"FTSIM_TEMP", "23.5", "Temp1=23.50   Temp2=23.50\n"},
        {"FTSIM_TEMP_RAW", "0x17,0x20,5,8", "Temp1=23.13   Temp2=23.13\n"},
        {"FTSIM_TEMP_RAW", "0,0x20,9,8", "Temp1= 0.13   Temp2=-0.38\n"},
    };
    for (const Case &c : cases) {
        const Outcome run = Tool({"temp"}, Bus("therm", {{c.setting, c.value}}));
        EXPECT_EQ(run.status, 0) << Success(run);
        EXPECT_EQ(run.out, c.line) << c.value;
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(BusTool, TempAddressesTheChipByIndex) {
    const Outcome run = Tool({"temp", "6"}, Bus("therm:6", {{"FTSIM_TEMP", "-0.5"}}));
    EXPECT_EQ(run.status, 0) << Success(run);
    EXPECT_EQ(run.out.substr(0, 11), "Temp1=255.5") << run.out;  // the raw two bytes, unsigned
    for (const std::string &line : WireLines()) {
        EXPECT_EQ(line.substr(0, 5), "S 9C+") << line;
    }
}

TEST_F(BusTool, TempConfigReadsAndWritesTheConfigurationByte) {
    Outcome run = Tool({"temp", "config", "0"}, Bus("therm"));
    EXPECT_EQ(run.status, 0) << Success(run);
    EXPECT_EQ(run.out.substr(0, 2), "0x");
    EXPECT_EQ(run.out.size(), 5u);

    std::remove(log_.c_str());
    run = Tool({"-y", "temp", "config", "0", "0x0b"}, Bus("therm"));
    EXPECT_EQ(run.status, 0) << Success(run);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Wire(), "S 90+ AC+ 0B+ P\n");
}

TEST_F(BusTool, TempWithoutTheChipIsExit2) {
    const Outcome run = Tool({"temp", "1"}, Bus("therm"));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Erreur : pas de reponse du thermometre 0x92\n");
}

TEST_F(BusTool, TempGivesUpOnAConversionThatNeverEnds) {
    const Outcome run = Tool({"temp"}, Bus("therm", {{"FTSIM_CONVERSION", "never"}}));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Erreur : la conversion ne se termine pas (thermometre 0x90)\n");
}

// ---- EEPROM ------------------------------------------------------------------

TEST_F(BusTool, EepromSaveOfAnErasedChipIs2048TimesFF) {
    const std::string file = Path("erased.bin");
    const Outcome run = Tool({"eeprom", "save", file}, Bus("eeprom"));
    EXPECT_EQ(run.status, 0) << Success(run);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");  // no progress bar without a terminal
    EXPECT_EQ(ReadFile(file), std::string(kEepromSize, '\xff'));
}

TEST_F(BusTool, EepromReadWithoutTheChipIsExit2AndLeavesNoFile) {
    const std::string file = Path("none.bin");
    std::remove(file.c_str());
    const Outcome run = Tool({"eeprom", "save", file}, Bus("therm"));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Erreur : pas de reponse de l'EEPROM a l'adresse 0x000\n");
    EXPECT_EQ(ReadFile(file), "");
    EXPECT_EQ(Wire(), "S A0- P\n");
}

#endif  // BUSTOOL_PATH

TEST_F(BusTool, EepromWriteThenReadBack) {
    const Outcome run = Twin({"eeprom", "write", "-y", "0x1fe", "0x41", "66", "0x00", "--and",  //
                              "eeprom", "read", "0x1fe", "3", "--and",                         //
                              "eeprom", "read", "0x1ff"},
                             Bus("eeprom"));
    EXPECT_EQ(run.status, 0) << Success(run);
    EXPECT_EQ(run.out, "0x41 0x42 0x00\n0x42\n");
    // Bits 10..8 of the address ride in the device address byte.
    const std::vector<std::string> lines = WireLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "S A2+ FE+ 41+ P");
}

TEST_F(BusTool, EepromReadOfSeveralLinesGoesSixteenToALine) {
    const Outcome run = Twin({"eeprom", "read", "0x7ee", "18"}, Bus("eeprom"));
    EXPECT_EQ(run.status, 0) << Success(run);
    std::string expected;
    for (int i = 0; i < 16; ++i) {
        expected += i == 15 ? "0xff\n" : "0xff ";
    }
    EXPECT_EQ(run.out, expected + "0xff 0xff\n");
}

TEST_F(BusTool, EepromLoadSaveAndDumpRoundTrip) {
    std::string image(kEepromSize, '\0');
    for (int i = 0; i < kEepromSize; ++i) {
        image[static_cast<size_t>(i)] = static_cast<char>((i * 7 + 3) & 0xFF);
    }
    const std::string text = "Bonjour, bus I2C";
    image.replace(0x100, text.size(), text);
    image.replace(0x7f0, 16, std::string(16, '\xff'));
    image[0x7f1] = '\0';
    image[0x7f2] = '\x7f';
    const std::string in = Path("in.bin");
    const std::string out = Path("out.bin");
    WriteFile(in, image);

    const Outcome run = Twin({"eeprom", "load", in, "-y", "--and", "eeprom", "save", out, "--and", "eeprom", "dump"},
                             Bus("eeprom"));
    EXPECT_EQ(run.status, 0) << Success(run);
    EXPECT_EQ(ReadFile(out), image);

    std::vector<std::string> dump;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        dump.push_back(line);
    }
    ASSERT_EQ(dump.size(), 1u + kEepromSize / 16);
    EXPECT_EQ(dump[0], "      0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef");
    EXPECT_EQ(dump[1], "000: 03 0a 11 18 1f 26 2d 34 3b 42 49 50 57 5e 65 6c    ?????&-4;BIPW^el");
    EXPECT_EQ(dump[1 + 0x10], "100: 42 6f 6e 6a 6f 75 72 2c 20 62 75 73 20 49 32 43    Bonjour, bus I2C");
    EXPECT_EQ(dump[1 + 0x7f], "7f0: ff 00 7f ff ff ff ff ff ff ff ff ff ff ff ff ff    ..?.............");
}

// ---- clock -------------------------------------------------------------------

TEST_F(BusTool, ClockSetThenGetReadsTheSameTime) {
    const Outcome run = Twin({"rtc", "set", "-y", "3", "14:07:45", "--and", "rtc", "get"}, Bus("clock"));
    EXPECT_EQ(run.status, 0) << Success(run);
    EXPECT_EQ(run.out, "3 14:07:45\n");
    const std::vector<std::string> lines = WireLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "S A0+ 00+ 80+ 00+ 45+ 07+ 14+ 01+ 60+ P");
    EXPECT_EQ(lines[1], "S A0+ 00+ 00+ P");
}

TEST_F(BusTool, ClockSelectAndRegisterAccess) {
    const Outcome run = Twin({"rtc", "--select", "1", "reg", "write", "0x10", "0xa5", "-y", "--and",  //
                              "rtc", "reg", "read", "0x10", "--select", "1", "--and",                 //
                              "rtc", "set", "-y", "--select", "1", "6", "23:59:59", "--and",          //
                              "rtc", "get", "--select", "1"},
                             Bus("clock:1"));
    EXPECT_EQ(run.status, 0) << Success(run);
    // Setting the time clears the hundredths: the next second is a second away.
    EXPECT_EQ(run.out, "0xa5\n6 23:59:59\n");
    EXPECT_EQ(WireLines().at(0), "S A2+ 10+ A5+ P");
}

TEST_F(BusTool, ClockAtTheOtherAddressIsExit2) {
    const Outcome run = Twin({"rtc", "get"}, Bus("clock:1"));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "Erreur : pas de reponse de l'horloge 0xa0\n");
}

// ---- parallel port -------------------------------------------------------------

TEST_F(BusTool, PortSelfTestWriteReadAndDump) {
    const Outcome run = Twin({"lpt", "selftest", "--and",                          //
                              "-y", "lpt", "write", "5", "0xa5", "--and",          //
                              "lpt", "write", "31", "0x3c", "-y", "--and",         //
                              "lpt", "read", "0x05", "--and",                      //
                              "lpt", "dump"},
                             Bus("none"));
    EXPECT_EQ(run.status, 0) << Success(run);
    EXPECT_EQ(run.out,
              "Auto-test du port 0x378 : OK\n"
              "0xa5\n"
              "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f\n"
              "00: 00 00 00 00 00 a5 00 00 00 00 00 00 00 00 00 00\n"
              "10: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 3c\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(BusTool, PortNumberSelectsTheBase) {
    // The simulated adapter sits at 0x378: at 0x278 nothing loops back.
    const Outcome run = Twin({"lpt", "--port", "3", "selftest"}, Bus("none"));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Erreur : auto-test du port 0x278 en echec (l'adaptateur ne renvoie pas les 256 valeurs)\n");
    std::istringstream trace(Port());
    int accesses = 0;
    for (std::string line; std::getline(trace, line); ++accesses) {
        EXPECT_TRUE(line.substr(2, 3) == "278" || line.substr(2, 3) == "279" || line.substr(2, 3) == "27a") << line;
    }
    EXPECT_GT(accesses, 256);
}

TEST_F(BusTool, PortRefusedIsExit3AndNoAccess) {
    struct Case {
        const char *acquire;
        const char *message;
    };
    const Case cases[] = {
        {"denied", "Erreur : acces refuse au port parallele 0x378 (simulated port: access refused)\n"},
        {"unavailable",
         "Erreur : port parallele 0x378 inaccessible (simulated port: no port I/O on this machine)\n"},
    };
    for (const Case &c : cases) {
        const Outcome run = Twin({"lpt", "read", "0"}, Bus("none", {{"BUSTOOL_TEST_PORT_ACQUIRE", c.acquire}}));
        EXPECT_EQ(run.status, 3) << c.acquire;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, c.message);
        EXPECT_EQ(Port(), "") << c.acquire;
    }
}

// ---- bad command lines ---------------------------------------------------------

// Each is refused with its message and exit 1 before the bus or the port is
// touched.
TEST_F(BusTool, BadCommandLinesNeverReachTheBus) {
    const std::string short_image = Path("short.bin");
    const std::string long_image = Path("long.bin");
    const std::string good_image = Path("good.bin");
    WriteFile(short_image, std::string(kEepromSize - 1, 'x'));
    WriteFile(long_image, std::string(kEepromSize + 1, 'x'));
    WriteFile(good_image, std::string(kEepromSize, 'x'));
    const std::string missing = Path("missing.bin");

    struct Case {
        Args args;
        std::string err;
    };
    const std::string top = "Utilisation : bustool [-y] COMMANDE [ARGUMENTS...]\nAide : bustool --help\n";
    const std::string eeprom = "Utilisation : bustool [-y] eeprom read|write|dump|save|load ...\n"
                               "Aide : bustool eeprom --help\n";
    const std::string read = "Utilisation : bustool eeprom read ADDR [COUNT]\nAide : bustool eeprom read --help\n";
    const std::string write =
        "Utilisation : bustool [-y] eeprom write ADDR BYTE...\nAide : bustool eeprom write --help\n";
    const std::string load = "Utilisation : bustool [-y] eeprom load FILE\nAide : bustool eeprom load --help\n";
    const std::string save = "Utilisation : bustool eeprom save FILE\nAide : bustool eeprom save --help\n";
    const std::string temp = "Utilisation : bustool temp [INDEX]\nAide : bustool temp --help\n";
    const std::string config =
        "Utilisation : bustool [-y] temp config INDEX [VALUE]\nAide : bustool temp config --help\n";
    const std::string get = "Utilisation : bustool rtc [--select 0|1] get\nAide : bustool rtc get --help\n";
    const std::string set = "Utilisation : bustool [-y] rtc [--select 0|1] set WEEKDAY HH:MM:SS\n"
                            "Aide : bustool rtc set --help\n";
    const std::string regread =
        "Utilisation : bustool rtc [--select 0|1] reg read REG\nAide : bustool rtc reg read --help\n";
    const std::string lptread = "Utilisation : bustool lpt [--port 1|2|3] read REG\nAide : bustool lpt read --help\n";
    const std::string lptwrite = "Utilisation : bustool [-y] lpt [--port 1|2|3] write REG VALUE\n"
                                 "Aide : bustool lpt write --help\n";
    const std::string lptdump = "Utilisation : bustool lpt [--port 1|2|3] dump\nAide : bustool lpt dump --help\n";
    const std::string refused = "Erreur : ecriture refusee sans confirmation (pas de terminal pour la demander) ; "
                                "ajouter -y pour confirmer\n";

    const Case cases[] = {
        {{}, "Erreur : commande manquante\n" + top},
        {{"frob"}, "Erreur : commande inconnue : frob\n" + top},
        {{"--frob", "scan"}, "Erreur : option inconnue : --frob\nUtilisation : bustool scan\nAide : bustool scan --help\n"},
        {{"eeprom"}, "Erreur : commande manquante\n" + eeprom},
        {{"eeprom", "erase"}, "Erreur : commande inconnue : erase\n" + eeprom},
        {{"eeprom", "read"}, "Erreur : ADDR manquant\n" + read},
        {{"eeprom", "read", "zz"}, "Erreur : ADDR invalide : 'zz' (nombre decimal, ou hexadecimal en 0x..)\n" + read},
        {{"eeprom", "read", "0x"}, "Erreur : ADDR invalide : '0x' (nombre decimal, ou hexadecimal en 0x..)\n" + read},
        {{"eeprom", "read", "-1"}, "Erreur : ADDR invalide : '-1' (nombre decimal, ou hexadecimal en 0x..)\n" + read},
        {{"eeprom", "read", "12abc"}, "Erreur : ADDR invalide : '12abc' (nombre decimal, ou hexadecimal en 0x..)\n" + read},
        {{"eeprom", "read", "99999999999999999999"},
         "Erreur : ADDR invalide : '99999999999999999999' (nombre decimal, ou hexadecimal en 0x..)\n" + read},
        {{"eeprom", "read", "0x800"}, "Erreur : ADDR hors limites : 0x800 (de 0 a 0x7ff)\n" + read},
        {{"eeprom", "read", "0x7ff", "2"}, "Erreur : COUNT hors limites : 2 (de 1 a 1)\n" + read},
        {{"eeprom", "read", "0", "0"}, "Erreur : COUNT hors limites : 0 (de 1 a 2048)\n" + read},
        {{"eeprom", "read", "1", "2", "3"}, "Erreur : argument en trop : 3\n" + read},
        {{"-y", "eeprom", "write", "0"}, "Erreur : BYTE manquant\n" + write},
        {{"-y", "eeprom", "write", "0", "1", "0x100"}, "Erreur : BYTE hors limites : 0x100 (de 0 a 0xff)\n" + write},
        {{"-y", "eeprom", "write", "0x7ff", "1", "2"},
         "Erreur : trop d'octets : 2 a partir de 0x7ff depassent la fin de l'EEPROM (0x7ff)\n" + write},
        {{"eeprom", "write", "0", "1"}, refused},
        {{"eeprom", "load", good_image}, refused},
        {{"-y", "eeprom", "load"}, "Erreur : FILE manquant\n" + load},
        {{"-y", "eeprom", "load", short_image},
         "Erreur : le fichier " + short_image + " fait 2047 octets, il en faut 2048\n" + load},
        {{"-y", "eeprom", "load", long_image},
         "Erreur : le fichier " + long_image + " fait 2049 octets, il en faut 2048\n" + load},
        {{"-y", "eeprom", "load", missing}, "Erreur : impossible de lire le fichier " + missing + "\n" + load},
        {{"-y", "eeprom", "load", dir_.substr(0, dir_.rfind('/'))},
         "Erreur : impossible de lire le fichier " + dir_.substr(0, dir_.rfind('/')) + " (c'est un repertoire)\n" +
             load},
        {{"eeprom", "save", Path("no/such/dir.bin")},
         "Erreur : impossible d'ecrire le fichier " + Path("no/such/dir.bin") + "\n" + save},
        {{"temp", "8"}, "Erreur : INDEX hors limites : 8 (de 0 a 7)\n" + temp},
        {{"temp", "config"}, "Erreur : INDEX manquant\n" + config},
        {{"temp", "2", "config", "1"}, "Erreur : INDEX se donne apres 'config'\n" + config},
        {{"-y", "temp", "config", "0", "256"}, "Erreur : VALUE hors limites : 256 (de 0 a 0xff)\n" + config},
        {{"temp", "config", "0", "1"}, refused},
        {{"rtc", "--select", "2", "get"}, "Erreur : --select hors limites : 2 (de 0 a 1)\n" + get},
        {{"rtc", "get", "--select"}, "Erreur : valeur manquante pour --select\n" + get},
        {{"-y", "rtc", "set", "7", "10:00:00"}, "Erreur : WEEKDAY hors limites : 7 (de 0 a 6)\n" + set},
        {{"-y", "rtc", "set", "1", "24:00:00"}, "Erreur : heure hors limites : 24:00:00 (de 00:00:00 a 23:59:59)\n" + set},
        {{"-y", "rtc", "set", "1", "12:60:00"}, "Erreur : heure hors limites : 12:60:00 (de 00:00:00 a 23:59:59)\n" + set},
        {{"-y", "rtc", "set", "1", "12:5"}, "Erreur : heure invalide : '12:5' (attendu HH:MM:SS)\n" + set},
        {{"-y", "rtc", "set", "1", "1:2:3:4"}, "Erreur : heure invalide : '1:2:3:4' (attendu HH:MM:SS)\n" + set},
        {{"-y", "rtc", "set", "1", "123:00:00"}, "Erreur : heure invalide : '123:00:00' (attendu HH:MM:SS)\n" + set},
        {{"-y", "rtc", "set", "1"}, "Erreur : WEEKDAY et HH:MM:SS attendus\n" + set},
        {{"rtc", "set", "1", "10:00:00"}, refused},
        {{"rtc", "reg", "read", "0x100"}, "Erreur : REG hors limites : 0x100 (de 0 a 0xff)\n" + regread},
        {{"lpt", "read", "32"}, "Erreur : REG hors limites : 32 (de 0 a 0x1f)\n" + lptread},
        {{"lpt", "--port", "4", "dump"}, "Erreur : --port hors limites : 4 (de 1 a 3)\n" + lptdump},
        {{"lpt", "--port", "0", "dump"}, "Erreur : --port hors limites : 0 (de 1 a 3)\n" + lptdump},
        {{"-y", "lpt", "write", "1"}, "Erreur : VALUE manquant\n" + lptwrite},
        {{"lpt", "write", "1", "2"}, refused},
    };
    for (const Case &c : cases) {
        std::string line;
        for (const std::string &arg : c.args) {
            line += " " + arg;
        }
        SCOPED_TRACE("bustool" + line);
#ifdef BUSTOOL_PATH
        const Outcome tool = Tool(c.args, Bus("therm,eeprom"));
        EXPECT_EQ(tool.status, 1);
        EXPECT_EQ(tool.out, "");
        EXPECT_EQ(tool.err, c.err);
        EXPECT_EQ(Wire(), "");
#endif
        const Outcome twin = Twin(c.args, Bus("therm,eeprom"));
        EXPECT_EQ(twin.status, 1);
        EXPECT_EQ(twin.err, c.err);
        EXPECT_EQ(Wire(), "");
        EXPECT_EQ(Port(), "");
    }
}

TEST_F(BusTool, HelpIsExit0OnStdout) {
    for (const Args &args : {Args{"--help"}, Args{"eeprom", "--help"}, Args{"rtc", "reg", "write", "-h"}}) {
        const Outcome run = Twin(args, Bus("therm"));
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_NE(run.out.find("Utilisation : bustool"), std::string::npos) << run.out;
        EXPECT_EQ(Wire(), "");
    }
    const Outcome run = Twin({"rtc", "reg", "write", "--help"}, Bus("therm"));
    EXPECT_NE(run.out.find("Utilisation : bustool [-y] rtc [--select 0|1] reg write REG VALUE\n"), std::string::npos)
        << run.out;
}

}  // namespace
