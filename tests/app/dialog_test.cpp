// The main dialog on the offscreen platform: layout, start-up selections, list handlers,
// keyboard filtering, the two ways of closing, and mask clicks.
#include "scratch_folder.h"

#include "about_dlg.h"
#include "archive_trimming.h"
#include "frame_buffer.h"
#include "orvex_dlg.h"
#include "parameter_lists.h"
#include "parameters.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using scratch::Folder;
namespace fs = std::filesystem;

struct Expected {
    int id;
    const char *kind;
    int x, y, width, height; // dialog units
    const char *caption;
};

// The layout in tab order, as drawn in dialog units.
const Expected layout[] = {
    {-1, "group", 440, 11, 204, 107, "Elaborazione immagine digitale"},
    {1022, "list", 446, 21, 192, 30, ""},
    {1006, "list", 446, 37, 192, 30, ""},
    {1000, "list", 446, 53, 192, 30, ""},
    {1019, "list", 446, 69, 192, 30, ""},
    {1020, "list", 446, 85, 192, 30, ""},
    {1021, "list", 446, 101, 192, 30, ""},
    {-1, "group", 440, 126, 204, 75, "Tracciamento intruso"},
    {1002, "list", 446, 136, 192, 12, ""},
    {1004, "list", 446, 152, 192, 30, ""},
    {1005, "list", 446, 168, 192, 30, ""},
    {1011, "list", 446, 184, 192, 30, ""},
    {-1, "group", 440, 209, 204, 91, "Dimensioni e densit\xC3\xA0 di allarme"},
    {1017, "list", 446, 219, 192, 30, ""},
    {1007, "list", 446, 235, 192, 30, ""},
    {1018, "list", 446, 251, 192, 30, ""},
    {1008, "list", 446, 267, 192, 30, ""},
    {1023, "list", 446, 283, 192, 30, ""},
    {-1, "group", 13, 304, 204, 43, "Gestione automatica dei ritardi"},
    {1012, "list", 19, 314, 192, 12, ""},
    {1013, "list", 19, 330, 192, 30, ""},
    {-1, "group", 230, 304, 204, 43, "Pennello ed archivio immagini"},
    {1009, "list", 236, 314, 192, 30, ""},
    {1010, "list", 236, 330, 192, 30, ""},
    {1014, "button", 446, 312, 192, 18, "Disattivazione allarme"},
    {1016, "button", 500, 330, 84, 18, "Chiudi"},
    {1015, "button", 446, 312, 192, 18, "Attivazione allarme"},
};

int px_x(int units) { return int(std::lround(units * 1.5)); }
int px_y(int units) { return int(std::lround(units * 1.625)); }

class Dialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        scratch::application();
        allarme_attivato = 0;
        iterazioni_complessive_della_funzione_timer = 0;
        for (const auto &slot : parameter_slots)
            *slot.value = 0;
    }
    void start()
    {
        folder.enter();
        dialog = std::make_unique<COrvexDlg>();
        ASSERT_TRUE(dialog->OnInitDialog());
    }
    QComboBox *list(int id) { return static_cast<QComboBox *>(dialog->GetDlgItem(id)); }
    // What a pick in the open list does: the selection moves, then the list notifies.
    void choose(int id, int index)
    {
        list(id)->setCurrentIndex(index);
        emit list(id)->activated(index);
    }
    std::string parameter_file() { return scratch::read_bytes(folder.archive() / "Combo_Box_Parameters.bin"); }

    Folder folder{"dialog"};
    std::unique_ptr<COrvexDlg> dialog;
};

TEST_F(Dialog, ControlsFollowTheLayoutInTabOrder)
{
    start();
    EXPECT_EQ(dialog->windowTitle(), "Orvex 7.0 - Camera 1");
    EXPECT_EQ(dialog->size(), QSize(986, 583));

    std::vector<QWidget *> focusable;
    const auto children = dialog->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    size_t groups = 0;
    for (const Expected &e : layout) {
        QWidget *widget = nullptr;
        if (e.id == -1) {
            for (QWidget *child : children) {
                auto *group = qobject_cast<QGroupBox *>(child);
                if (group != nullptr && group->title() == QString::fromUtf8(e.caption))
                    widget = group;
            }
            ++groups;
        } else {
            widget = dialog->GetDlgItem(e.id);
            focusable.push_back(widget);
        }
        ASSERT_NE(widget, nullptr) << e.caption << " " << e.id;
        const QRect g = widget->geometry();
        EXPECT_EQ(g.x(), px_x(e.x)) << e.id << " " << e.caption;
        EXPECT_EQ(g.y(), px_y(e.y)) << e.id << " " << e.caption;
        EXPECT_EQ(g.width(), px_x(e.x + e.width) - px_x(e.x)) << e.id;
        if (std::string(e.kind) == "list") {
            EXPECT_NE(qobject_cast<QComboBox *>(widget), nullptr) << e.id;
            EXPECT_FALSE(static_cast<QComboBox *>(widget)->isEditable());
        } else {
            EXPECT_EQ(g.height(), px_y(e.y + e.height) - px_y(e.y)) << e.id;
        }
        if (std::string(e.kind) == "button") {
            EXPECT_EQ(static_cast<QPushButton *>(widget)->text(), QString::fromUtf8(e.caption));
        }
    }
    EXPECT_EQ(groups, 5u);

    // The focus chain visits the controls in layout order.
    for (size_t k = 0; k + 1 < focusable.size(); ++k) {
        QWidget *next = focusable[k]->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        EXPECT_EQ(next, focusable[k + 1]) << k;
    }

    // The picture area holds no control.
    for (QWidget *child : children) {
        if (child->property("controlId").isValid()) {
            EXPECT_FALSE(child->geometry().intersects(QRect(0, 0, 640, 480)))
                << child->property("controlId").toInt();
        }
    }

    EXPECT_TRUE(dialog->GetDlgItem(1014)->isHidden());
    EXPECT_FALSE(dialog->GetDlgItem(1015)->isHidden());
    EXPECT_TRUE(dialog->windowState() & Qt::WindowMinimized);

    // The icon's own images are built into the program.
    const QList<QSize> sizes = dialog->windowIcon().availableSizes();
    for (int side : {16, 32, 48})
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
}

TEST_F(Dialog, EveryItemTextFitsItsClosedList)
{
    start();
    for (const ParameterList &l : parameter_lists()) {
        QComboBox *combo = list(l.control_id);
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.rect = combo->rect();
        option.editable = false;
        option.frame = true;
        const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                           QStyle::SC_ComboBoxEditField, combo);
        for (const ParameterListItem &item : l.items)
            EXPECT_LE(combo->fontMetrics().horizontalAdvance(QString::fromStdString(item.text)),
                      field.width())
                << item.text;
    }
}

TEST_F(Dialog, NoParameterFileSelectsTheDefaultsAndWritesNothing)
{
    const auto before = scratch::snapshot(folder.path);
    start();
    // The default texts themselves are checked with the lists; here every list shows its one.
    for (const ParameterList &l : parameter_lists()) {
        EXPECT_EQ(list(l.control_id)->currentText().toStdString(), text_for_value(l)) << l.control_id;
        EXPECT_NE(list(l.control_id)->currentIndex(), -1) << l.control_id;
        EXPECT_EQ(list(l.control_id)->count(), int(l.items.size()));
    }
    EXPECT_EQ(list(1023)->currentText(), QString::fromUtf8("Densit\xC3\xA0 minima degli oggetti intrusi:   10%"));
    EXPECT_EQ(dialog->timer_period(frame_timer_id), 1000);
    EXPECT_EQ(altezza, 480u);
    EXPECT_EQ(larghezza, 640u);
    EXPECT_EQ(scratch::snapshot(folder.path), before);
}

TEST_F(Dialog, SelectionSetsTheValueRewritesTheFileAndRestartsTheTimer)
{
    start();
    struct Case {
        int id;
        int index;
        uint32_t *parameter;
        uint32_t value;
        int period;
    };
    const Case cases[] = {
        {1006, 2, &frames_per_secondo, 3, 333},
        {1006, 6, &frames_per_secondo, 7, 142},
        {1022, 17, &sostituzione_oppure_aggiornamento_dello_sfondo, 18, 142},
        {1022, 9, &sostituzione_oppure_aggiornamento_dello_sfondo, 10, 142},
        {1009, 6, &area_elementare_di_desensibilizzazione, 128, 142},
        {1010, 0, &numero_massimo_di_immagini_archiviate, 100, 142},
    };
    for (const Case &c : cases) {
        choose(c.id, c.index);
        EXPECT_EQ(*c.parameter, c.value) << c.id;
        EXPECT_EQ(dialog->timer_period(frame_timer_id), c.period) << c.id;
        uint8_t bytes[parameter_file_size];
        encode_parameters(bytes);
        EXPECT_EQ(parameter_file(), std::string(reinterpret_cast<char *>(bytes), sizeof bytes));
    }

    // Arrow keys on a closed list select the next item and run the handler.
    list(1000)->setFocus();
    QTest::keyClick(list(1000), Qt::Key_Down);
    EXPECT_EQ(raggio_della_filtrazione_immagine, 3u);
    EXPECT_EQ(uint8_t(parameter_file()[8]), 3);
}

TEST_F(Dialog, StoredValueOutsideItsListShowsNoSelectionAndIsWrittenBack)
{
    for (const auto &slot : parameter_slots)
        *slot.value = slot.default_value;
    frames_per_secondo = 20;
    ASSERT_TRUE(Scrittura_Dei_Parametri((folder.archive() / "Combo_Box_Parameters.bin").c_str()));
    start();
    EXPECT_EQ(dialog->timer_period(frame_timer_id), 50);
    EXPECT_EQ(list(1006)->currentIndex(), -1);
    EXPECT_EQ(list(1006)->currentText(), "");

    choose(1000, 4);
    EXPECT_EQ(uint8_t(parameter_file()[4]), 20);
    EXPECT_EQ(raggio_della_filtrazione_immagine, 5u);
}

TEST_F(Dialog, FailedParameterWriteKeepsTheValueInMemory)
{
    start();
    // A folder where the temporary file should go makes every write attempt fail.
    fs::create_directory(folder.archive() / "Combo_Box_Parameters.bin.tmp");
    choose(1006, 4);
    EXPECT_EQ(frames_per_secondo, 5u);
    EXPECT_EQ(dialog->timer_period(frame_timer_id), 200);
    EXPECT_FALSE(fs::exists(folder.archive() / "Combo_Box_Parameters.bin"));
}

TEST_F(Dialog, ReturnAndEscapeNeverCloseOrPress)
{
    start();
    dialog->setWindowState(Qt::WindowNoState);
    dialog->show();
    for (int id : {1015, 1016, 1022}) {
        dialog->GetDlgItem(id)->setFocus();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(dialog->GetDlgItem(id), key);
    }
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(allarme_attivato, 0u);
    EXPECT_EQ(dialog->timer_period(frame_timer_id), 1000);
}

TEST_F(Dialog, ChiudiAndTheCloseBoxBothEndTheModalLoop)
{
    start();
    QTimer::singleShot(0, [this] { static_cast<QPushButton *>(dialog->GetDlgItem(1016))->click(); });
    EXPECT_EQ(dialog->exec(), QDialog::Rejected);
    EXPECT_EQ(dialog->timer_period(frame_timer_id), -1);

    dialog->SetTimer(frame_timer_id, 1000);
    QTimer::singleShot(0, [this] { dialog->close(); });
    EXPECT_EQ(dialog->exec(), QDialog::Rejected);
    EXPECT_EQ(dialog->timer_period(frame_timer_id), -1);
}

TEST_F(Dialog, ClosingWhileTheAboutBoxIsOpenEndsBothLoops)
{
    start();
    // A termination request may come while the About box runs its own modal loop.
    bool about_was_open = false, about_left_open = false;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(50, [&] {
            about_was_open = dialog->findChild<CAboutDlg *>() != nullptr;
            dialog->OnClose();
        });
        QTimer::singleShot(2000, [&] { // only reached when the About box stayed open
            for (CAboutDlg *about : dialog->findChildren<CAboutDlg *>()) {
                about_left_open = about->isVisible();
                about->reject();
            }
        });
        dialog->OnSysCommand(about_command_id);
    });
    EXPECT_EQ(dialog->exec(), QDialog::Rejected);
    EXPECT_TRUE(about_was_open);
    EXPECT_FALSE(about_left_open);
    EXPECT_EQ(dialog->timer_period(frame_timer_id), -1);
}

TEST_F(Dialog, RightClickOutsideThePictureOffersTheAboutEntry)
{
    start();
    dialog->setWindowState(Qt::WindowNoState);
    dialog->show();
    QTest::mouseClick(dialog.get(), Qt::RightButton, {}, QPoint(800, 560));
    auto *menu = dialog->findChild<QMenu *>();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_TRUE(menu->actions()[0]->isSeparator());
    EXPECT_EQ(menu->actions()[1]->text(), "&About Orvex...");
    menu->hide();
    // Outside the picture the mask is not touched.
    EXPECT_FALSE(fs::exists(folder.archive() / "Sensitive_Pixels.bin"));
}

TEST_F(Dialog, AboutBoxShowsItsIconAndWholeNotice)
{
    start();
    CAboutDlg about(dialog.get());
    int pictures = 0, texts = 0;
    for (QLabel *label : about.findChildren<QLabel *>()) {
        if (!label->pixmap().isNull()) {
            ++pictures;
            EXPECT_EQ(label->pixmap().size(), QSize(32, 32));
        } else {
            ++texts;
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << label->text().toStdString();
        }
    }
    EXPECT_EQ(pictures, 1);
    EXPECT_EQ(texts, 1);
}

TEST_F(Dialog, MaskClicksWorkOnlyWhileDisarmed)
{
    start();
    dialog->setWindowState(Qt::WindowNoState);
    dialog->show();
    const fs::path mask = folder.archive() / "Sensitive_Pixels.bin";

    dialog->OnBnClickedAttivazioneAllarme();
    QTest::mouseClick(dialog.get(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(dialog.get(), Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_FALSE(fs::exists(mask));
    EXPECT_EQ(matrice_grayscale_dei_pixel_sensibili_8bpp[0], 1);

    dialog->OnBnClickedDisattivazioneAllarme();
    QTest::mouseClick(dialog.get(), Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_TRUE(fs::exists(mask));
    EXPECT_EQ(fs::file_size(mask), uintmax_t(plane_size));
    EXPECT_EQ(matrice_grayscale_dei_pixel_sensibili_8bpp[63 * 640 + 63], 0);
    EXPECT_EQ(matrice_grayscale_dei_pixel_sensibili_8bpp[64], 1);

    // A double-click arrives as press, release, double-click, release: the cell ends sensitive.
    QTest::mouseDClick(dialog.get(), Qt::LeftButton, {}, QPoint(63, 63));
    EXPECT_EQ(matrice_grayscale_dei_pixel_sensibili_8bpp[0], 1);
    EXPECT_EQ(matrice_grayscale_dei_pixel_sensibili_8bpp[63 * 640 + 63], 1);

    // Right double-click: the whole picture ends insensitive.
    QTest::mouseDClick(dialog.get(), Qt::RightButton, {}, QPoint(100, 100));
    EXPECT_EQ(matrice_grayscale_dei_pixel_sensibili_8bpp[0], 0);
    EXPECT_EQ(matrice_grayscale_dei_pixel_sensibili_8bpp[640 * 480 - 1], 0);
    EXPECT_EQ(scratch::read_bytes(mask)[0], 0);
}

// Records the order in which the lists are switched on or off.
class EnableRecorder : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::EnabledChange)
            order.push_back(watched->property("controlId").toInt());
        return false;
    }
    std::vector<int> order;
};

TEST_F(Dialog, ArmingDisablesTheListsAndSwapsTheButtons)
{
    start();
    // Both handlers switch the lists in the same fixed order.
    const std::vector<int> switching_order{1022, 1006, 1000, 1019, 1020, 1021, 1002,
                                           1004, 1005, 1011, 1017, 1007, 1018, 1008,
                                           1023, 1009, 1010, 1012, 1013};
    EnableRecorder recorder;
    for (int id : switching_order)
        list(id)->installEventFilter(&recorder);

    dialog->OnBnClickedAttivazioneAllarme();
    EXPECT_EQ(recorder.order, switching_order);
    EXPECT_EQ(allarme_attivato, 1u);
    for (const ParameterList &l : parameter_lists())
        EXPECT_FALSE(list(l.control_id)->isEnabled()) << l.control_id;
    EXPECT_TRUE(dialog->GetDlgItem(1014)->isVisibleTo(dialog.get()));
    EXPECT_TRUE(dialog->GetDlgItem(1015)->isHidden());
    EXPECT_TRUE(dialog->GetDlgItem(1016)->isEnabled());

    numero_massimo_di_immagini_archiviate = 1600;
    recorder.order.clear();
    dialog->OnBnClickedDisattivazioneAllarme();
    EXPECT_EQ(recorder.order, switching_order);
    EXPECT_EQ(allarme_attivato, 0u);
    EXPECT_EQ(numero_massimo_di_immagini_archiviate_precedente, 1600u);
    for (const ParameterList &l : parameter_lists())
        EXPECT_TRUE(list(l.control_id)->isEnabled()) << l.control_id;
    EXPECT_TRUE(dialog->GetDlgItem(1014)->isHidden());
    EXPECT_TRUE(dialog->GetDlgItem(1015)->isVisibleTo(dialog.get()));
}

} // namespace
