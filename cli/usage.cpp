#include "cli/usage.h"

#include "base/version.h"

namespace {

const std::vector<std::string> DEVICE_OPTIONS = {"--port", "--address"};

const CommandUsage USAGES[] = {
    {"new",
     "kv310r-cli new DATEI",
     "  Schreibt den Standard-Parametersatz als KV-310-R-Parameterdatei nach DATEI.\n",
     {}},
    {"show",
     "kv310r-cli show DATEI",
     "  Liest DATEI wie das Programm beim Öffnen und gibt den geprüften Parametersatz\n"
     "  als Parameterdatei-Text aus (Abschnitt KV310R, 575 Schlüssel).\n",
     {}},
    {"import-curve",
     "kv310r-cli import-curve DATEI 1|2 TEXTDATEI",
     "  Importiert die 256 Zahlen aus TEXTDATEI in Userkurve 1 oder 2 des Parametersatzes\n"
     "  in DATEI und speichert DATEI. Bei einem Fehler bleibt DATEI unverändert.\n",
     {}},
    {"export-curve",
     "kv310r-cli export-curve DATEI 1|2 TEXTDATEI",
     "  Schreibt Userkurve 1 oder 2 aus DATEI als 256 Zahlen, eine je Zeile, nach\n"
     "  TEXTDATEI; import-curve liest sie unverändert zurück.\n",
     {}},
    {"diff",
     "kv310r-cli diff DATEI_A DATEI_B | DATEI_A --device [--port NAME] [--address N]",
     "  Zeigt je Zeile ein Feld, das verschieden ist, benannt wie auf den Seiten\n"
     "  (Seite, Dimmer, Spalte, Beschriftung), mit beiden Werten; bei den Userkurven\n"
     "  die Zahl der verschiedenen Punkte. Mit --device statt DATEI_B wird mit dem\n"
     "  Parametersatz des Dimmers verglichen. Rückgabe wie diff: 0 gleich,\n"
     "  1 verschieden, 2 Aufruf- oder Lesefehler.\n",
     {"--device", "--port", "--address"}},
    {"version", "kv310r-cli version [--port NAME] [--address LISTE]",
     "  Fragt die Firmware-Version des KV-310-R ab.\n", DEVICE_OPTIONS},
    {"read", "kv310r-cli read DATEI [--port NAME] [--address LISTE]",
     "  Liest den Parametersatz des Dimmers und speichert ihn als Parameterdatei DATEI.\n"
     "  Mit mehreren Adressen entsteht je Adresse eine Datei NAME-ADRESSE.ini\n"
     "  (aus Anlage.ini werden Anlage-1.ini, Anlage-2.ini, ...).\n",
     DEVICE_OPTIONS},
    {"write", "kv310r-cli write DATEI [--port NAME] [--address LISTE]",
     "  Schreibt den Parametersatz aus DATEI in den Dimmer (setzt ihn vorher zurück).\n", DEVICE_OPTIONS},
    {"drive", "kv310r-cli drive 1|2 WERT [--port NAME] [--address LISTE]",
     "  Steuert Dimmer 1 oder 2 im Testbetrieb mit WERT (0..65535) an.\n", DEVICE_OPTIONS},
    {"status",
     "kv310r-cli status [--watch [--timeout S]] [--csv DATEI.csv] [--port NAME] [--address N]",
     "  Fragt den Dimmerstatus einmal ab und zeigt ihn wie die Seite \"Dimmerstatus\".\n"
     "  Mit --watch wird er alle 100 ms neu abgefragt und angezeigt, bis Strg+C;\n"
     "  antwortet der Dimmer S Sekunden lang nicht (Standard 10), endet er mit Fehler.\n"
     "  --csv schreibt jeden empfangenen Status als Zeile nach DATEI.csv (eine Kopfzeile,\n"
     "  dann Zeitpunkt, Sekunden seit Beginn und die Felder der Seite in V, A, W, °C, Hz;\n"
     "  Trennzeichen Semikolon, Dezimalpunkt; jede Zeile sofort geschrieben). Mit --csv\n"
     "  zeigt --watch den Status nur in einem Terminal an.\n",
     {"--port", "--address", "--watch", "--timeout", "--csv"}},
    {"scope",
     "kv310r-cli scope [--dimmer 1|2] [--kind ART] [--section ABSCHNITT] [--range 1..6]\n"
     "                 [--half-period N] [--timeout S] -o DATEI.csv [--port NAME] [--address N]",
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
     "  Fehler; Strg+C bricht ab und stoppt die Messung im Dimmer.\n",
     {"--port", "--address", "--dimmer", "--kind", "--section", "--range", "--half-period", "-o",
      "--timeout"}},
    {"scan",
     "kv310r-cli scan [--port NAME] [--address LISTE] [--timeout MS]",
     "  Fragt jede Adresse der LISTE (Standard 1-255) nach der Firmware-Version und\n"
     "  zeigt je Dimmer, der antwortet, eine Zeile: Adresse, Firmware-Versionen,\n"
     "  Temperaturen und Warnungen. Wartezeit je Adresse MS (Standard 50 oder\n"
     "  SCANTIMEOUT im Abschnitt BUS der Kv310r.ini); ein Dimmer, der später antwortet,\n"
     "  wird trotzdem gefunden. Rückgabe 0, wenn mindestens ein Dimmer antwortet, sonst 1.\n",
     {"--port", "--address", "--timeout"}},
    {"verify",
     "kv310r-cli verify DATEI --address LISTE [--protocol DATEI.csv] [--port NAME]",
     "  Liest den Parametersatz jedes Dimmers der LISTE und vergleicht ihn mit DATEI;\n"
     "  je Adresse eine Zeile und die verschiedenen Felder wie bei diff. --protocol\n"
     "  schreibt das Ergebnis als Protokoll (CSV, eine Zeile je Adresse). Rückgabe 0\n"
     "  nur, wenn alle Dimmer einen gültigen Parametersatz gleich DATEI haben.\n",
     {"--port", "--address", "--protocol"}},
};

const char* const NOTES =
    "\n"
    "Ohne --port und --address gelten Port und RS485-Adresse aus der Kv310r.ini neben\n"
    "dem Programm (Abschnitt PROP). Portnamen unter Windows: COM1, COM2 usw., ab COM10\n"
    "auch \\\\.\\COM10; unter Linux z. B. /dev/ttyUSB0. Strg+C bricht eine laufende\n"
    "Übertragung ab.\n"
    "\n"
    "LISTE: eine RS485-Adresse (0..255) oder mehrere, durch Kommas getrennt, auch als\n"
    "Bereiche, z. B. 1,2,5-8. Die Dimmer am Bus kommen nacheinander an die Reihe; für\n"
    "jede Adresse folgt eine Ergebniszeile, am Ende eine Zusammenfassung.\n"
    "\n"
    "Meldungen gehen auf die Standardausgabe, Fehler auf die Fehlerausgabe.\n"
    "Rückgabewert: 0 erfolgreich, 1 Fehler oder Abbruch (auch bei nur einer der\n"
    "Adressen), 2 falscher Aufruf. --version zeigt die Programmversion.\n";

}  // namespace

const CommandUsage* find_command_usage(const std::string& name) {
    for (const CommandUsage& u : USAGES)
        if (name == u.name) return &u;
    return nullptr;
}

void print_usage(std::FILE* out) {
    std::fputs(KV_PRODUCT_NAME ", Kommandozeile, Version " KV_VERSION_TEXT "\n\nAufruf:\n", out);
    for (const CommandUsage& u : USAGES) print_command_help(u, out);
    std::fputs(NOTES, out);
}

void print_command_help(const CommandUsage& usage, std::FILE* out) {
    std::fprintf(out, "%s\n%s", usage.synopsis, usage.help);
}

void print_version(std::FILE* out) { std::fputs("kv310r-cli " KV_VERSION_TEXT "\n", out); }

int cli_usage_error(const char* command) {
    const CommandUsage* usage = find_command_usage(command);
    if (usage) std::fprintf(stderr, "Aufruf: %s\n", usage->synopsis);
    return 2;
}
