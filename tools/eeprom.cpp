// bustool eeprom: the 2 KB serial EEPROM (24C16 style), byte by byte.
#include <CLI/CLI.hpp>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bustool.h"
#include "i2c/eeprom.h"
#include "interaction.h"
#include "numbers.h"

namespace bustool {

namespace {

constexpr int kSize = 2048;      // bytes in the chip: 11-bit addresses
constexpr long kLastAddress = kSize - 1;
constexpr int kKind = 1;         // 24C16: enables the driver
constexpr long kMaxByte = 0xFF;
constexpr int kColumns = 16;     // bytes per line of output
constexpr unsigned char kErased = 0xFF;
constexpr unsigned char kFirstPrintable = 0x20;  // ASCII blank
constexpr unsigned char kLastPrintable = 0x7E;   // ASCII '~'

struct EepromArgs {
    std::string address;
    std::string count;
    std::vector<std::string> bytes;
    std::string file;
};

using Image = std::array<unsigned char, kSize>;

std::string Address(int address) { return HexDigits(address, 3); }

void OpenEeprom() {
    OpenBus();
    EEP_SetKind(kKind);
}

int ReadByte(int address) {
    int value = 0;
    RequireAck(EEP_ReadByte(address, &value), "Erreur : pas de reponse de l'EEPROM a l'adresse " + Address(address));
    return value;
}

void WriteByte(int address, int value) {
    RequireAck(EEP_WriteByte(address, value), "Erreur : pas de reponse de l'EEPROM a l'adresse " + Address(address));
}

// The whole chip, with a progress bar.
Image ReadAll() {
    Image image{};
    Progress progress("Lecture ", kSize);
    for (int address = 0; address < kSize; ++address) {
        image[static_cast<size_t>(address)] = static_cast<unsigned char>(ReadByte(address));
        progress.Update(address + 1);
    }
    return image;
}

// ADDR and an optional COUNT that must stay inside the chip.
void Read(const EepromArgs &args) {
    const int address = static_cast<int>(ParseArgument("ADDR", args.address, 0, kLastAddress));
    const int count = args.count.empty()
                          ? 1
                          : static_cast<int>(ParseArgument("COUNT", args.count, 1, kSize - address, Radix::kDecimal));
    OpenEeprom();
    std::vector<int> values;
    for (int offset = 0; offset < count; ++offset) {
        values.push_back(ReadByte(address + offset));
    }
    for (size_t i = 0; i < values.size(); ++i) {
        const bool line_end = (i + 1) % kColumns == 0 || i + 1 == values.size();
        std::printf("0x%02x%c", values[i], line_end ? '\n' : ' ');
    }
}

void Write(const EepromArgs &args, bool assume_yes) {
    const int address = static_cast<int>(ParseArgument("ADDR", args.address, 0, kLastAddress));
    if (args.bytes.empty()) {
        FailUsage("BYTE manquant");
    }
    if (static_cast<long>(args.bytes.size()) > kSize - address) {
        FailUsage("trop d'octets : " + std::to_string(args.bytes.size()) + " a partir de " + Address(address) +
                  " depassent la fin de l'EEPROM (" + Address(static_cast<int>(kLastAddress)) + ")");
    }
    std::vector<int> values;
    for (const std::string &text : args.bytes) {
        values.push_back(static_cast<int>(ParseArgument("BYTE", text, 0, kMaxByte)));
    }
    ConfirmWrite(assume_yes, "Ecriture de " + std::to_string(values.size()) + " octet(s) dans l'EEPROM a partir de " +
                                 Address(address) + ".");
    OpenEeprom();
    for (size_t i = 0; i < values.size(); ++i) {
        WriteByte(address + static_cast<int>(i), values[i]);
    }
}

// i2cdump's character column: '.' for the erased and zero bytes, '?' for the
// other unprintable ones.
char Shown(unsigned char byte) {
    if (byte == 0x00 || byte == kErased) {
        return '.';
    }
    return (byte < kFirstPrintable || byte > kLastPrintable) ? '?' : static_cast<char>(byte);
}

void Dump() {
    OpenEeprom();
    const Image image = ReadAll();
    std::printf("    ");
    for (int column = 0; column < kColumns; ++column) {
        std::printf(" %2x", column);
    }
    std::printf("    0123456789abcdef\n");
    for (int row = 0; row < kSize; row += kColumns) {
        std::string text;
        std::printf("%03x:", row);
        for (int column = 0; column < kColumns; ++column) {
            const unsigned char byte = image[static_cast<size_t>(row + column)];
            std::printf(" %02x", byte);
            text += Shown(byte);
        }
        std::printf("    %s\n", text.c_str());
    }
}

// Checked before the bus is touched, so that a bad path does not cost a
// whole-chip read. An output file that did not exist is removed again if the
// read fails.
class OutputFile {
public:
    explicit OutputFile(std::string path) : path_(std::move(path)) {
        std::error_code ignored;
        existed_ = std::filesystem::exists(path_, ignored);
        if (std::filesystem::is_directory(path_, ignored)) {
            FailUsage("impossible d'ecrire le fichier " + path_ + " (c'est un repertoire)");
        }
        std::ofstream probe(path_, std::ios::binary | std::ios::app);
        if (!probe) {
            FailUsage("impossible d'ecrire le fichier " + path_);
        }
    }
    ~OutputFile() {
        if (!kept_ && !existed_) {
            std::error_code ignored;
            std::filesystem::remove(path_, ignored);
        }
    }
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    void Write(const Image &image) {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(image.data()), static_cast<std::streamsize>(image.size()));
        out.close();
        if (!out) {
            throw Failure(kExitUsage, "Erreur a l'ecriture du fichier " + path_);
        }
        kept_ = true;
    }

private:
    std::string path_;
    bool existed_ = false;
    bool kept_ = false;
};

void Save(const EepromArgs &args) {
    OutputFile file(args.file);
    OpenEeprom();
    file.Write(ReadAll());
}

// Exactly one chip's worth of bytes, or nothing is written.
Image ReadImage(const std::string &path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        FailUsage("impossible de lire le fichier " + path + " (c'est un repertoire)");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        FailUsage("impossible de lire le fichier " + path);
    }
    // One byte more than the chip holds is enough to refuse the file.
    std::vector<char> bytes(kSize + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    if (bytes.size() != kSize) {
        const std::uintmax_t size = std::filesystem::file_size(path, ignored);
        const std::string shown = ignored ? std::to_string(bytes.size()) : std::to_string(size);
        FailUsage("le fichier " + path + " fait " + shown + " octets, il en faut " + std::to_string(kSize));
    }
    Image image{};
    for (size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<unsigned char>(bytes[i]);
    }
    return image;
}

void Load(const EepromArgs &args, bool assume_yes) {
    const Image image = ReadImage(args.file);
    ConfirmWrite(assume_yes, "Ecriture de " + args.file + " dans toute l'EEPROM (" + std::to_string(kSize) +
                                 " octets).");
    OpenEeprom();
    Progress progress("Ecriture", kSize);
    for (int address = 0; address < kSize; ++address) {
        WriteByte(address, image[static_cast<size_t>(address)]);
        progress.Update(address + 1);
    }
}

void RequireFile(const EepromArgs &args) {
    if (args.file.empty()) {
        FailUsage("FILE manquant");
    }
}

}  // namespace

void AddEepromCommands(Tool &tool, CLI::App &app) {
    auto args = std::make_shared<EepromArgs>();
    CLI::App *eeprom = tool.AddGroup(app, "eeprom", "EEPROM serie de 2 Ko (0xa0 a 0xae)",
                                     "bustool [-y] eeprom read|write|dump|save|load ...");

    CLI::App *read = tool.AddCommand(*eeprom, "read", "Lit COUNT octets (1 par defaut) a partir de ADDR",
                                     "bustool eeprom read ADDR [COUNT]", [args] {
                                         if (args->address.empty()) {
                                             FailUsage("ADDR manquant");
                                         }
                                         Read(*args);
                                     });
    read->add_option("ADDR", args->address, "Adresse 0 a 0x7ff")->type_name("");
    read->add_option("COUNT", args->count, "Nombre d'octets, 1 a 2048")->type_name("");

    CLI::App *write = tool.AddCommand(*eeprom, "write", "Ecrit les octets BYTE a partir de ADDR",
                                      "bustool [-y] eeprom write ADDR BYTE...", [args, &tool] {
                                          if (args->address.empty()) {
                                              FailUsage("ADDR manquant");
                                          }
                                          Write(*args, tool.assume_yes);
                                      });
    write->add_option("ADDR", args->address, "Adresse 0 a 0x7ff")->type_name("");
    write->add_option("BYTE", args->bytes, "Octets 0 a 0xff, ecrits aux adresses successives")->type_name("");

    tool.AddCommand(*eeprom, "dump", "Affiche toute l'EEPROM en hexadecimal et en texte", "bustool eeprom dump",
                    Dump);

    CLI::App *save = tool.AddCommand(*eeprom, "save", "Copie toute l'EEPROM dans FILE (2048 octets)",
                                     "bustool eeprom save FILE", [args] {
                                         RequireFile(*args);
                                         Save(*args);
                                     });
    save->add_option("FILE", args->file, "Fichier image a ecrire")->type_name("");

    CLI::App *load = tool.AddCommand(*eeprom, "load", "Ecrit FILE (exactement 2048 octets) dans toute l'EEPROM",
                                     "bustool [-y] eeprom load FILE", [args, &tool] {
                                         RequireFile(*args);
                                         Load(*args, tool.assume_yes);
                                     });
    load->add_option("FILE", args->file, "Fichier image a lire")->type_name("");
}

}  // namespace bustool
