// kv310r-cli: the KV-310-R core on the command line, for scripting and for
// users without Windows. Messages are the program's own German texts; errors go
// to stderr with exit status 1, usage errors exit with status 2.
#include "cli/cli_args.h"
#include "cli/device_commands.h"
#include "cli/diff_command.h"
#include "cli/export_curve_command.h"
#include "cli/measure_commands.h"
#include "cli/param_commands.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Command {
    const char* name;
    int (*run)(const CliArgs&);
    const char* usage;
};

const Command commands[] = {
    {"new", cli_new,
     "kv310r-cli new DATEI\n"
     "  Schreibt den Standard-Parametersatz als KV-310-R-Parameterdatei nach DATEI.\n"},
    {"show", cli_show,
     "kv310r-cli show DATEI\n"
     "  Liest DATEI wie das Programm beim Öffnen und gibt den geprüften Parametersatz\n"
     "  als Parameterdatei-Text aus (Abschnitt KV310R, 575 Schlüssel).\n"},
    {"import-curve", cli_import_curve,
     "kv310r-cli import-curve DATEI 1|2 TEXTDATEI\n"
     "  Importiert die 256 Zahlen aus TEXTDATEI in Userkurve 1 oder 2 des Parametersatzes\n"
     "  in DATEI und speichert DATEI. Bei einem Fehler bleibt DATEI unverändert.\n"},
    {"export-curve", cli_export_curve,
     "kv310r-cli export-curve DATEI 1|2 TEXTDATEI\n"
     "  Schreibt Userkurve 1 oder 2 aus DATEI als 256 Zahlen, eine je Zeile, nach\n"
     "  TEXTDATEI; import-curve liest sie unverändert zurück.\n"},
    {"diff", cli_diff,
     "kv310r-cli diff DATEI_A DATEI_B | DATEI_A --device [--port NAME] [--address N]\n"
     "  Zeigt je Zeile ein Feld, das verschieden ist, benannt wie auf den Seiten\n"
     "  (Seite, Dimmer, Spalte, Beschriftung), mit beiden Werten; bei den Userkurven\n"
     "  die Zahl der verschiedenen Punkte. Mit --device statt DATEI_B wird mit dem\n"
     "  Parametersatz des Dimmers verglichen. Rückgabe wie diff: 0 gleich,\n"
     "  1 verschieden, 2 Aufruf- oder Lesefehler.\n"},
    {"version", cli_version,
     "kv310r-cli version [--port NAME] [--address N]\n"
     "  Fragt die Firmware-Version des KV-310-R ab.\n"},
    {"read", cli_read,
     "kv310r-cli read DATEI [--port NAME] [--address N]\n"
     "  Liest den Parametersatz des Dimmers und speichert ihn als Parameterdatei DATEI.\n"},
    {"write", cli_write,
     "kv310r-cli write DATEI [--port NAME] [--address N]\n"
     "  Schreibt den Parametersatz aus DATEI in den Dimmer (setzt ihn vorher zurück).\n"},
    {"drive", cli_drive,
     "kv310r-cli drive 1|2 WERT [--port NAME] [--address N]\n"
     "  Steuert Dimmer 1 oder 2 im Testbetrieb mit WERT (0..65535) an.\n"},
    {"status", cli_status,
     "kv310r-cli status [--watch [--timeout S]] [--port NAME] [--address N]\n"
     "  Fragt den Dimmerstatus einmal ab und zeigt ihn wie die Seite \"Dimmerstatus\".\n"
     "  Mit --watch wird er alle 100 ms neu abgefragt und angezeigt, bis Strg+C;\n"
     "  antwortet der Dimmer S Sekunden lang nicht (Standard 10), endet er mit Fehler.\n"},
    {"scope", cli_scope,
     "kv310r-cli scope [--dimmer 1|2] [--kind ART] [--section ABSCHNITT] [--range 1..6]\n"
     "                 [--half-period N] [--timeout S] -o DATEI.csv [--port NAME] [--address N]\n"
     "  Nimmt eine Oszilloskop-Messung auf und schreibt sie nach DATEI.csv.\n"
     "  ART: einzel (Einzelmessung), fehler (Messung bei/nach Fehler), start (Messung\n"
     "  bei Start, Halbperiode Nr. N = 0..500), last (Last-Test), dauer (Dauermessung,\n"
     "  hier die erste Messung). ABSCHNITT: periode (Volle Periode), null\n"
     "  (Nulldurchgang), schalt (Schaltvorgang). I-Messbereich: 1..6 = ±0,5, ±1, ±2,\n"
     "  ±4, ±8, ±16 A. Nicht angegebene Einstellungen kommen aus dem Abschnitt SCOPE\n"
     "  der Kv310r.ini (sonst Dimmer 1, einzel, periode, 6, 0).\n"
     "  DATEI.csv: Kommentarzeilen mit \"#\" (Messung, t=0 und Schaltzeit in ms, Imax),\n"
     "  die Kopfzeile time_ms;voltage_V;current_A, dann 500 Zeilen je Abtastwert:\n"
     "  Zeit in ms (3 Nachkommastellen), Spannung in V (1), Strom in A (3);\n"
     "  Trennzeichen Semikolon, Dezimalpunkt. Die Zeitachse ist die des Abschnitts:\n"
     "  0..25 ms (periode), -1..4 ms (null), -0,5..2 ms (schalt, last).\n"
     "  Ohne Antwort des Dimmers für S Sekunden (Standard 10) endet der Befehl mit\n"
     "  Fehler; Strg+C bricht ab und stoppt die Messung im Dimmer.\n"},
};

const char* const port_note =
    "\nOhne --port und --address gelten Port und RS485-Adresse aus der Kv310r.ini neben\n"
    "dem Programm (Abschnitt PROP). Strg+C bricht eine laufende Übertragung ab.\n";

void print_usage(std::FILE* out) {
    std::fputs("KV-310-R PC-Testprogramm, Kommandozeile\n\nAufruf:\n", out);
    for (const Command& c : commands) std::fputs(c.usage, out);
    std::fputs(port_note, out);
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    auto args = parse_cli_args(argc, argv, error);
    if (!args) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    if (args->command.empty()) {
        print_usage(args->help ? stdout : stderr);
        return args->help ? 0 : 2;
    }
    for (const Command& c : commands) {
        if (args->command != c.name) continue;
        if (args->help) {
            std::fputs(c.usage, stdout);
            return 0;
        }
        return c.run(*args);
    }
    std::fprintf(stderr, "Unbekannter Befehl: %s\n\n", args->command.c_str());
    print_usage(stderr);
    return 2;
}
