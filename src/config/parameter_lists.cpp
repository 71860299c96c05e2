// Item texts and values of the 19 parameter lists. Every text is a prefix ending in a colon and
// three spaces, the number, and a suffix; the background list stores its item position instead.
#include "parameter_lists.h"

#include "parameters.h"

namespace {

const std::vector<uint32_t> distance_ladder{1,   5,   10,  15,  20,  30,  40,  50,  60,
                                            70,  84,  101, 121, 146, 175, 210, 251, 301,
                                            362, 434, 521, 625, 749, 899, 1079, 1295, 1554};
const std::vector<uint32_t> delays{1, 5, 10, 20, 40, 80, 160, 320, 640, 1280};

std::vector<uint32_t> range(uint32_t first, uint32_t last, uint32_t step)
{
    std::vector<uint32_t> values;
    for (uint32_t v = first; v <= last; v += step)
        values.push_back(v);
    return values;
}

ParameterList numbered(int id, uint32_t *parameter, const std::string &prefix,
                       const std::vector<uint32_t> &values, const std::string &suffix)
{
    ParameterList list{id, parameter, {}};
    for (uint32_t v : values)
        list.items.push_back({prefix + ":   " + std::to_string(v) + suffix, v});
    return list;
}

ParameterList background_list()
{
    ParameterList list{1022, &sostituzione_oppure_aggiornamento_dello_sfondo, {}};
    const uint32_t seconds[] = {3840, 1920, 960, 480, 240, 120, 60, 30, 15, 7};
    const uint32_t percent[] = {1, 2, 3, 6, 12, 25, 50, 100};
    uint32_t code = 1;
    for (uint32_t s : seconds)
        list.items.push_back(
            {"Sostituzione dello sfondo ogni:   " + std::to_string(s) + " secondi", code++});
    for (uint32_t p : percent)
        list.items.push_back(
            {"Adeguamento percentuale dello sfondo:   " + std::to_string(p) + "%", code++});
    return list;
}

ParameterList brush_list()
{
    ParameterList list{1009, &area_elementare_di_desensibilizzazione, {}};
    for (uint32_t a : {2u, 4u, 8u, 16u, 32u, 64u, 128u}) {
        const std::string n = std::to_string(a);
        list.items.push_back({"Area elementare di desensibilizzazione:   " + n + "x" + n + " pixels", a});
    }
    return list;
}

std::vector<ParameterList> build_lists()
{
    return {
        background_list(),
        numbered(1006, &frames_per_secondo, "Frames per secondo", range(1, 10, 1), " frames"),
        numbered(1000, &raggio_della_filtrazione_immagine, "Raggio della filtrazione immagine",
                 range(1, 15, 1), " pixels"),
        numbered(1019, &magnitudine_rgb_di_soglia, "Magnitudine RGB di soglia", range(25, 450, 25),
                 ""),
        numbered(1020, &variazione_angolare_rgb_sospetta, "Variazione angolare RGB sospetta",
                 range(1, 45, 2), " gradi"),
        numbered(1021, &variazione_modulare_rgb_sospetta, "Variazione modulare RGB sospetta",
                 range(5, 125, 5), ""),
        numbered(1002, &tracciamenti_consecutivi_validanti, "Tracciamenti consecutivi validanti",
                 {1, 2, 3, 4, 5, 7, 9, 11, 13, 15, 18, 21, 24, 27, 30, 34, 38, 42, 46, 50},
                 " frames"),
        numbered(1004, &spostamento_verticale_compatibile, "Spostamento verticale compatibile",
                 distance_ladder, " pixels"),
        numbered(1005, &spostamento_orizzontale_compatibile, "Spostamento orizzontale compatibile",
                 distance_ladder, " pixels"),
        numbered(1011, &distanza_di_clustering, "Distanza di clustering", distance_ladder,
                 " pixels"),
        numbered(1017, &altezza_minima_degli_oggetti_intrusi,
                 "Altezza minima degli oggetti intrusi", distance_ladder, " pixels"),
        numbered(1007, &altezza_massima_degli_oggetti_intrusi,
                 "Altezza massima degli oggetti intrusi", distance_ladder, " pixels"),
        numbered(1018, &larghezza_minima_degli_oggetti_intrusi,
                 "Larghezza minima degli oggetti intrusi", distance_ladder, " pixels"),
        numbered(1008, &larghezza_massima_degli_oggetti_intrusi,
                 "Larghezza massima degli oggetti intrusi", distance_ladder, " pixels"),
        numbered(1023, &densita_minima_degli_oggetti_intrusi,
                 "Densit\u00e0 minima degli oggetti intrusi",
                 {1, 2, 5, 10, 20, 30, 40, 50, 60, 70, 80, 90}, "%"),
        numbered(1012, &attivazione_iniziale, "Attivazione allarme iniziale dopo", delays,
                 " secondi"),
        numbered(1013, &attivazione_consecutivo, "Attivazione allarme consecutivo dopo", delays,
                 " secondi"),
        brush_list(),
        numbered(1010, &numero_massimo_di_immagini_archiviate,
                 "Numero massimo di immagini archiviate",
                 {100, 200, 400, 800, 1600, 3200, 6400, 12800, 25600, 51200, 102400, 204800,
                  409600, 819200},
                 ""),
    };
}

} // namespace

const std::vector<ParameterList> &parameter_lists()
{
    static const std::vector<ParameterList> lists = build_lists();
    return lists;
}

const ParameterList *parameter_list(int control_id)
{
    for (const ParameterList &list : parameter_lists())
        if (list.control_id == control_id)
            return &list;
    return nullptr;
}

std::string text_for_value(const ParameterList &list)
{
    std::string text;
    for (const ParameterListItem &item : list.items)
        if (*list.parameter == item.value)
            text = item.text;
    return text;
}

void apply_text(const ParameterList &list, const std::string &text)
{
    for (const ParameterListItem &item : list.items)
        if (text == item.text)
            *list.parameter = item.value;
}
