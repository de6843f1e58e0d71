// Command line: the command tree, help in French, and the mapping of every
// failure to its message and exit status.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "bustool.h"
#include "i2c/link.h"

namespace bustool {

namespace {

constexpr const char *kProgram = "bustool";

// CLI11's help layout with French labels and our own grammar lines.
class HelpFormatter : public CLI::Formatter {
public:
    explicit HelpFormatter(const Tool &tool) : tool_(tool) {
        label("Usage", "Utilisation");
        label("Positionals", "Arguments");
        label("SUBCOMMAND", "COMMANDE");
        label("SUBCOMMANDS", "COMMANDES");
        label("REQUIRED", "(obligatoire)");
        column_width(26);
    }

    std::string make_usage(const CLI::App *app, std::string name) const override {
        const std::string grammar = tool_.GrammarOf(app);
        if (grammar.empty()) {
            return CLI::Formatter::make_usage(app, name);
        }
        return "Utilisation : " + grammar + "\n";
    }

private:
    const Tool &tool_;
};

// The command the user picked: the deepest parsed subcommand.
const CLI::App *SelectedCommand(const CLI::App &app) {
    const CLI::App *command = &app;
    for (;;) {
        const std::vector<CLI::App *> chosen = command->get_subcommands();
        if (chosen.empty()) {
            return command;
        }
        command = chosen.front();
    }
}

std::string Joined(const std::vector<std::string> &words) {
    std::string text;
    for (const std::string &word : words) {
        text += (text.empty() ? "" : " ") + word;
    }
    return text;
}

// "bustool eeprom read", as typed.
std::string CommandPath(const CLI::App *command) {
    std::string path = command->get_name();
    for (const CLI::App *up = command->get_parent(); up != nullptr; up = up->get_parent()) {
        path = up->get_name() + " " + path;
    }
    return path;
}

void PrintUsage(const Tool &tool, const CLI::App *command) {
    std::cerr << "Utilisation : " << tool.GrammarOf(command) << "\n"
              << "Aide : " << CommandPath(command) << " --help\n";
}

// CLI11 reports the few errors we leave to it (an option without its value)
// in English; say the same in French. The message starts with the option.
std::string FrenchParseError(const CLI::ParseError &error) {
    const std::string text = error.what();
    const std::string option = text.substr(0, text.find(':'));
    if (dynamic_cast<const CLI::ArgumentMismatch *>(&error) != nullptr) {
        return "Erreur : valeur manquante pour " + option;
    }
    return "Erreur : ligne de commande invalide (" + text + ")";
}

}  // namespace

void FailUsage(const std::string &what) { throw UsageFailure(what); }

CLI::App *Tool::Add(CLI::App &parent, const std::string &name, const std::string &description,
                    const std::string &grammar) {
    CLI::App *command = parent.add_subcommand(name, description);
    // Options of the enclosing levels (-y, --select, --port) may come anywhere
    // on the line; everything we do not know is collected and refused after
    // parsing, in French.
    command->fallthrough();
    command->allow_extras();
    command->group("Commandes");
    grammar_[command] = grammar;
    return command;
}

CLI::App *Tool::AddCommand(CLI::App &parent, const std::string &name, const std::string &description,
                           const std::string &grammar, std::function<void()> action) {
    CLI::App *command = Add(parent, name, description, grammar);
    actions_[command] = std::move(action);
    return command;
}

CLI::App *Tool::AddGroup(CLI::App &parent, const std::string &name, const std::string &description,
                         const std::string &grammar) {
    return Add(parent, name, description, grammar);
}

std::string Tool::GrammarOf(const CLI::App *command) const {
    const auto found = grammar_.find(command);
    return found == grammar_.end() ? std::string() : found->second;
}

const std::function<void()> *Tool::ActionOf(const CLI::App *command) const {
    const auto found = actions_.find(command);
    return found == actions_.end() ? nullptr : &found->second;
}

// The link is opened once per process and stays open.
void OpenBus() {
    static bool open = false;
    if (!open && I2C_Open() != I2C_OK) {
        throw Failure(kExitNoAdapter, "Erreur a l'initialisation I2C");
    }
    open = true;
}

void RequireAck(int status, const std::string &message) {
    if (status != I2C_OK) {
        throw Failure(kExitNoAnswer, message);
    }
}

int Run(int argc, char **argv) {
    Tool tool;
    CLI::App app("Operations sur les peripheriques du bus I2C et du port parallele.", kProgram);
    app.formatter(std::make_shared<HelpFormatter>(tool));
    app.set_help_flag("-h,--help", "Affiche cette aide");
    app.allow_extras();
    app.add_flag("-y,--yes", tool.assume_yes, "Ecrit sans demander de confirmation");
    tool.SetGrammar(&app, "bustool [-y] COMMANDE [ARGUMENTS...]");
    app.footer("Codes de sortie : 0 succes, 1 erreur d'utilisation, 2 pas de reponse du peripherique,\n"
               "3 adaptateur ou port inaccessible.");

    AddScanCommand(tool, app);
    AddTempCommands(tool, app);
    AddEepromCommands(tool, app);
    AddRtcCommands(tool, app);
    AddLptCommands(tool, app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &) {
        std::cout << app.help();
        return kExitOk;
    } catch (const CLI::ParseError &error) {
        std::cerr << FrenchParseError(error) << "\n";
        PrintUsage(tool, SelectedCommand(app));
        return kExitUsage;
    }

    const CLI::App *command = SelectedCommand(app);
    std::vector<std::string> extras;
    for (const std::string &word : app.remaining(true)) {
        if (word != "--") {
            extras.push_back(word);
        }
    }
    const std::function<void()> *action = tool.ActionOf(command);
    try {
        if (action == nullptr) {
            FailUsage(extras.empty() ? "commande manquante" : "commande inconnue : " + Joined(extras));
        }
        for (const std::string &word : extras) {
            if (word.size() > 1 && word[0] == '-') {
                FailUsage("option inconnue : " + word);
            }
        }
        if (!extras.empty()) {
            FailUsage("argument en trop : " + Joined(extras));
        }
        (*action)();
    } catch (const UsageFailure &failure) {
        std::cerr << failure.what() << "\n";
        PrintUsage(tool, command);
        return failure.code();
    } catch (const Failure &failure) {
        std::fflush(stdout);
        std::cerr << failure.what() << "\n";
        return failure.code();
    }
    return kExitOk;
}

}  // namespace bustool
