#include "cli/param_commands.h"

#include "cli/cli_files.h"
#include "cli/usage.h"
#include "params/curve_text.h"
#include "params/file_messages.h"
#include "params/param_file.h"
#include "params/record.h"

#include <cstdio>
#include <string>

int cli_new(const CliArgs& args) {
    if (args.operands.size() != 1) return cli_usage_error("new");
    ParameterRecord record;
    apply_defaults(record);
    return cli_save_parameter_file(record, args.operands[0]) ? 0 : 1;
}

int cli_show(const CliArgs& args) {
    if (args.operands.size() != 1) return cli_usage_error("show");
    ParameterRecord record;
    if (!cli_open_parameter_file(args.operands[0], record)) return 1;
    std::fputs(parameter_file_text(record).c_str(), stdout);
    return 0;
}

int cli_import_curve(const CliArgs& args) {
    if (args.operands.size() != 3 || (args.operands[1] != "1" && args.operands[1] != "2"))
        return cli_usage_error("import-curve");
    const std::string& path = args.operands[0];
    const int curve = args.operands[1] == "1" ? 0 : 1;
    const std::string& text_path = args.operands[2];

    ParameterRecord record;
    if (!cli_open_parameter_file(path, record)) return 1;
    const CurveImport result = import_curve_file(text_path);
    if (!apply_curve_import(record, curve, result)) {
        report_curve_import_error(nullptr, result, text_path);
        return 1;
    }
    if (!cli_save_parameter_file(record, path)) return 1;
    // The file has no key for the last point: opened again, the curve ends in
    // the default's last point instead of the number imported.
    const unsigned imported = result.points[CURVE_POINTS_IN_FILE];
    const unsigned reopened = default_user_curve(curve)[CURVE_POINTS_IN_FILE];
    if (imported != reopened)
        std::fprintf(stderr,
                     "Warnung: Punkt %d der Userkurve %d (%u) kann in der Parameterdatei nicht gespeichert "
                     "werden, beim Öffnen gilt %u\n",
                     CURVE_POINTS_IN_FILE, curve + 1, imported, reopened);
    return 0;
}
