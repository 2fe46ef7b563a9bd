// stgc-batch: the jobs of the interactive program for scripts, Makefiles and CI.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/batch.h"

#ifndef STGC_VERSION
#define STGC_VERSION "unknown"
#endif

namespace {

const batch_command* const commands[] = {&generate_command, &test_command, &info_command,
                                         &export_command};

} // namespace

int main(int argc, char** argv) {
    // No setlocale: numbers are read and written with a decimal point whatever the user's
    // locale, so a script means the same everywhere.
    CLI::App app{"Single-track Gray codes for rotary encoder disks, from the command line.",
                 "stgc-batch"};
    app.set_version_flag("--version", "stgc-batch " STGC_VERSION);
    app.require_subcommand(1);
    app.footer("Run 'stgc-batch COMMAND --help' for the options of a command; 'man stgc-batch' "
               "has examples.");
    const batch_command* chosen = nullptr;
    for (const batch_command* command : commands) {
        CLI::App* sub = app.add_subcommand(command->name, command->help);
        sub->footer("See 'man stgc-batch' for examples.");
        command->setup(*sub);
        sub->callback([&chosen, command] { chosen = command; });
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        // CLI11's messages name the argument; the program's name stands first, as in every
        // other refusal.
        fflush(stdout);
        fprintf(stderr, "stgc-batch: %s (see 'stgc-batch --help')\n", e.what());
        return exit_usage;
    }
    install_batch_signals();
    const int status = chosen ? chosen->run() : exit_usage;
    if (fflush(stdout) != 0) return fail(exit_usage, "standard output", strerror(errno));
    if (interrupted()) return fail(130, chosen ? chosen->name : "stgc-batch", "interrupted");
    return status;
}
