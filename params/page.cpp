#include "params/page.h"

const char* page_title(Page page) {
    switch (page) {
        case Page::base_settings:
            return "Grundeinstellung";
        case Page::special_functions:
            return "Sonderfunktionen";
        case Page::user_curves:
            return "Userkurve 1 und 2";
        case Page::status:
            return "Dimmerstatus";
        case Page::scope:
            return "Oszilloskop";
    }
    return "";
}
