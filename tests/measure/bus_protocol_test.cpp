// The commissioning protocol of a bus and the line of each dimmer found: the
// CSV file a spreadsheet reads (cells quoted where they must be) and the HTML
// page to print (every text escaped), from the results of the runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/bytes.h"
#include "measure/bus_protocol.h"
#include "measure/bus_text.h"

namespace {

BusDimmer dimmer_at(uint32_t address) {
    BusDimmer d;
    d.address = address;
    d.version = {2, 1, {1, 0}, {4, 0}};
    d.has_status = true;
    put_u16le(d.status.front_temperature, 285);
    return d;
}

TEST(BusText, EachKindOfDimmerInOneLine) {
    BusDimmer normal = dimmer_at(5);
    normal.version.dimmer_major[1] = 1;
    normal.version.dimmer_minor[1] = 4;

    BusDimmer warm = dimmer_at(6);
    warm.status.measurement[1].present = 1;
    put_u16le(warm.status.measurement[1].temperature, 410);
    warm.status.board_warnings = 0x06;
    warm.status.control[1].warnings = 0x3;

    BusDimmer late = dimmer_at(7);
    late.answer = BusAnswer::late;
    late.has_status = false;

    BusDimmer garbled;
    garbled.address = 8;
    garbled.answer = BusAnswer::garbled;

    const std::pair<BusDimmer, const char*> cases[] = {
        {normal, "Adresse 5: V2.1, Dimmer 1 1.4, Dimmer 2 1.4; Temperatur 28.5 °C; keine Warnung"},
        {warm,
         "Adresse 6: V2.1, Dimmer 1 1.4, Dimmer 2 ; Temperatur 28.5 °C, Dimmer 2 41.0 °C; "
         "Warnung: Board temperature error, U warning, Dimmer 2 Warnings 3"},
        {late, "Adresse 7: V2.1, Dimmer 1 1.4, Dimmer 2 ; kein Status; antwortet spät"},
        {garbled, "Adresse 8: Antwort gestört"},
    };
    for (const auto& [d, line] : cases) EXPECT_EQ(bus_dimmer_line(d), line);
}

BusProtocol protocol_with_two() {
    BusProtocol p;
    p.port = "COM3";
    p.parameter_file = "C:\\Anlagen\\Halle <A> & \"B\".ini";
    p.created = "2024-05-01 11:00:00";
    BusEntry first;
    first.dimmer = dimmer_at(3);
    first.scan_time = "2024-05-01 10:00:00";
    first.write = {true, true, "PC-Parameter wurden im Dimmer abgespeichert", "2024-05-01 10:02:00"};
    first.compare = {true, true, "gleich", "2024-05-01 10:03:00", true};
    BusEntry second;
    second.dimmer = dimmer_at(12);
    second.scan_time = "2024-05-01 10:00:01";
    second.write = {true, false, "Kommunikation mit KV-310-R ist fehlerhaft", "2024-05-01 10:02:30"};
    second.compare = {true, true, "2 Felder verschieden", "2024-05-01 10:03:30"};
    second.differences = {"Grundeinstellung, Dimmer 2, Blendzeit [x 0,01s]: 17 -> 10",
                          "Sonderfunktionen; \"Test\" <1>: 1 -> 2"};
    p.entries = {first, second};
    return p;
}

TEST(BusProtocolCsv, OneLinePerAddressWithCellsQuotedWhereNeeded) {
    const std::string csv = bus_protocol_csv(protocol_with_two());
    const std::string expected =
        "\xEF\xBB\xBF"
        "Zeit;Port;Adresse;Firmware;Dimmer 1;Dimmer 2;Status;Schreiben;Auslesen;Vergleichen;Abweichende "
        "Felder\r\n"
        "2024-05-01 10:03:00;COM3;3;V2.1;1.4;;\"Temperatur 28.5 °C; keine Warnung\";"
        "PC-Parameter wurden im Dimmer abgespeichert;;gleich;\r\n"
        "2024-05-01 10:03:30;COM3;12;V2.1;1.4;;\"Temperatur 28.5 °C; keine Warnung\";"
        "Kommunikation mit KV-310-R ist fehlerhaft;;2 Felder verschieden;"
        "\"Grundeinstellung, Dimmer 2, Blendzeit [x 0,01s]: 17 -> 10 | "
        "Sonderfunktionen; \"\"Test\"\" <1>: 1 -> 2\"\r\n";
    EXPECT_EQ(csv, expected);
}

TEST(BusProtocolHtml, EveryTextEscapedAndALineToSign) {
    const std::string html = bus_protocol_html(protocol_with_two());
    EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(html.find("Parameterdatei: C:\\Anlagen\\Halle &lt;A&gt; &amp; &quot;B&quot;.ini"),
              std::string::npos);
    EXPECT_NE(html.find("<td>12</td>"), std::string::npos);
    EXPECT_NE(html.find("<td>Grundeinstellung, Dimmer 2, Blendzeit [x 0,01s]: 17 -&gt; 10<br>"
                        "Sonderfunktionen; &quot;Test&quot; &lt;1&gt;: 1 -&gt; 2</td>"),
              std::string::npos);
    EXPECT_NE(html.find("Unterschrift: ____"), std::string::npos);
    EXPECT_NE(html.find("Datum: ____"), std::string::npos);
    // Nothing of the texts is left unescaped.
    EXPECT_EQ(html.find("<A>"), std::string::npos);
    EXPECT_EQ(html.find("<1>"), std::string::npos);
    EXPECT_EQ(html.find("\"Test\""), std::string::npos);

    const std::pair<const char*, const char*> cases[] = {
        {"a<b>&'\"", "a&lt;b&gt;&amp;&#39;&quot;"}, {"Grüße", "Grüße"}, {"", ""}};
    for (const auto& [text, escaped] : cases) EXPECT_EQ(html_escape(text), escaped);
}

}  // namespace
