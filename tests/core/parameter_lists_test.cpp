// Parameter lists: item texts, the value each stores, and both mappings.
#include "parameter_lists.h"
#include "parameters.h"

#include <gtest/gtest.h>

#include <set>

namespace {

void set_defaults()
{
    for (const auto &slot : parameter_slots)
        *slot.value = slot.default_value;
}

TEST(ParameterLists, NineteenListsInStartUpOrderWithTheirSizes)
{
    const std::vector<std::pair<int, size_t>> expected{
        {1022, 18}, {1006, 10}, {1000, 15}, {1019, 18}, {1020, 23}, {1021, 25}, {1002, 20},
        {1004, 27}, {1005, 27}, {1011, 27}, {1017, 27}, {1007, 27}, {1018, 27}, {1008, 27},
        {1023, 12}, {1012, 10}, {1013, 10}, {1009, 7},  {1010, 14}};
    const auto &lists = parameter_lists();
    ASSERT_EQ(lists.size(), expected.size());
    for (size_t k = 0; k < lists.size(); ++k) {
        EXPECT_EQ(lists[k].control_id, expected[k].first);
        EXPECT_EQ(lists[k].items.size(), expected[k].second) << lists[k].control_id;
    }
}

TEST(ParameterLists, TextsAreDistinctAndNoneIsAPrefixOfAnEarlierOne)
{
    for (const ParameterList &list : parameter_lists()) {
        std::set<std::string> seen;
        for (size_t i = 0; i < list.items.size(); ++i) {
            EXPECT_TRUE(seen.insert(list.items[i].text).second) << list.items[i].text;
            for (size_t j = 0; j < i; ++j)
                EXPECT_NE(list.items[j].text.rfind(list.items[i].text, 0), 0u)
                    << list.items[i].text << " begins " << list.items[j].text;
        }
    }
}

TEST(ParameterLists, DefaultsShowTheirItems)
{
    set_defaults();
    const std::vector<std::pair<int, std::string>> expected{
        {1022, "Adeguamento percentuale dello sfondo:   12%"},
        {1006, "Frames per secondo:   1 frames"},
        {1000, "Raggio della filtrazione immagine:   2 pixels"},
        {1019, "Magnitudine RGB di soglia:   450"},
        {1020, "Variazione angolare RGB sospetta:   5 gradi"},
        {1021, "Variazione modulare RGB sospetta:   50"},
        {1002, "Tracciamenti consecutivi validanti:   3 frames"},
        {1004, "Spostamento verticale compatibile:   30 pixels"},
        {1005, "Spostamento orizzontale compatibile:   30 pixels"},
        {1011, "Distanza di clustering:   10 pixels"},
        {1017, "Altezza minima degli oggetti intrusi:   15 pixels"},
        {1007, "Altezza massima degli oggetti intrusi:   251 pixels"},
        {1018, "Larghezza minima degli oggetti intrusi:   15 pixels"},
        {1008, "Larghezza massima degli oggetti intrusi:   251 pixels"},
        {1023, "Densit\xC3\xA0 minima degli oggetti intrusi:   10%"},
        {1012, "Attivazione allarme iniziale dopo:   5 secondi"},
        {1013, "Attivazione allarme consecutivo dopo:   40 secondi"},
        {1009, "Area elementare di desensibilizzazione:   64x64 pixels"},
        {1010, "Numero massimo di immagini archiviate:   6400"},
    };
    for (const auto &[id, text] : expected)
        EXPECT_EQ(text_for_value(*parameter_list(id)), text) << id;
}

TEST(ParameterLists, TextsStoreTheirValues)
{
    struct Case {
        int id;
        const char *text;
        uint32_t *parameter;
        uint32_t value;
    };
    const Case cases[] = {
        {1022, "Adeguamento percentuale dello sfondo:   100%", &sostituzione_oppure_aggiornamento_dello_sfondo, 18},
        {1022, "Sostituzione dello sfondo ogni:   7 secondi", &sostituzione_oppure_aggiornamento_dello_sfondo, 10},
        {1022, "Sostituzione dello sfondo ogni:   3840 secondi", &sostituzione_oppure_aggiornamento_dello_sfondo, 1},
        {1006, "Frames per secondo:   3 frames", &frames_per_secondo, 3},
        {1009, "Area elementare di desensibilizzazione:   128x128 pixels", &area_elementare_di_desensibilizzazione, 128},
        {1010, "Numero massimo di immagini archiviate:   100", &numero_massimo_di_immagini_archiviate, 100},
        {1004, "Spostamento verticale compatibile:   1554 pixels", &spostamento_verticale_compatibile, 1554},
        {1004, "Spostamento verticale compatibile:   1 pixels", &spostamento_verticale_compatibile, 1},
        {1023, "Densit\xC3\xA0 minima degli oggetti intrusi:   90%", &densita_minima_degli_oggetti_intrusi, 90},
    };
    for (const Case &c : cases) {
        set_defaults();
        apply_text(*parameter_list(c.id), c.text);
        EXPECT_EQ(*c.parameter, c.value) << c.text;
        EXPECT_EQ(text_for_value(*parameter_list(c.id)), c.text);
    }
}

TEST(ParameterLists, UnknownTextOrValueChangesNothing)
{
    set_defaults();
    apply_text(*parameter_list(1006), "Frames per secondo:   20 frames");
    EXPECT_EQ(frames_per_secondo, 1u);
    frames_per_secondo = 20;
    EXPECT_EQ(text_for_value(*parameter_list(1006)), "");
    EXPECT_EQ(parameter_list(1001), nullptr);
}

} // namespace
