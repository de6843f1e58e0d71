#include <cstdio>
#include <iostream>
#include <string>
#include <utility>

#include "bustool.h"
#include "interaction.h"
#include "platform/terminal.h"

namespace bustool {

namespace {
constexpr int kBarWidth = 40;
}  // namespace

Progress::Progress(std::string label, int total)
    : label_(std::move(label)), total_(total), enabled_(TERMINAL_StderrIsInteractive() != 0 && total > 0) {
    Update(0);
}

Progress::~Progress() {
    if (enabled_ && shown_percent_ >= 0) {
        std::fputc('\n', stderr);
    }
}

void Progress::Update(int done) {
    if (!enabled_) {
        return;
    }
    const int percent = done * 100 / total_;
    if (percent == shown_percent_) {
        return;
    }
    shown_percent_ = percent;
    const int filled = done * kBarWidth / total_;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kBarWidth - filled), '.');
    std::fprintf(stderr, "\r%s [%s] %3d%%", label_.c_str(), bar.c_str(), percent);
    std::fflush(stderr);
}

void ConfirmWrite(bool assume_yes, const std::string &what) {
    if (assume_yes) {
        return;
    }
    if (TERMINAL_StdinIsInteractive() == 0) {
        throw Failure(kExitUsage, "Erreur : ecriture refusee sans confirmation (pas de terminal pour la "
                                  "demander) ; ajouter -y pour confirmer");
    }
    std::cerr << what << "\nContinuer ? [o/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    if (answer == "o" || answer == "O" || answer == "oui" || answer == "y" || answer == "Y" || answer == "yes") {
        return;
    }
    throw Failure(kExitUsage, "Abandon : rien n'a ete ecrit");
}

}  // namespace bustool
