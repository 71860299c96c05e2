// The main dialog. Controls are placed at fixed positions in dialog units, with no layout, so a
// resized window moves nothing and the picture stays at 640 x 480 in the top-left corner.
#include "orvex_dlg.h"

#include "about_dlg.h"
#include "acquisition.h"
#include "archive_trimming.h"
#include "atomic_file.h"
#include "dialog_units.h"
#include "display.h"
#include "frame_buffer.h"
#include "frame_sequence.h"
#include "mass_labelling.h"
#include "parameter_lists.h"
#include "parameters.h"
#include "picture_files.h"
#include "sensitivity_mask.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>

uint32_t allarme_attivato = 0;
uint32_t iterazioni_complessive_della_funzione_timer = 0;

namespace {

const char *const parameter_file = "Resources_Archive/Combo_Box_Parameters.bin";

enum class Kind { Group, List, Button };

struct TemplateItem {
    int id;
    Kind kind;
    int x, y, width, height; // dialog units
    const char *caption;
};

// The layout in tab order.
const TemplateItem dialog_template[] = {
    {-1, Kind::Group, 440, 11, 204, 107, "Elaborazione immagine digitale"},
    {1022, Kind::List, 446, 21, 192, 30, ""},
    {1006, Kind::List, 446, 37, 192, 30, ""},
    {1000, Kind::List, 446, 53, 192, 30, ""},
    {1019, Kind::List, 446, 69, 192, 30, ""},
    {1020, Kind::List, 446, 85, 192, 30, ""},
    {1021, Kind::List, 446, 101, 192, 30, ""},
    {-1, Kind::Group, 440, 126, 204, 75, "Tracciamento intruso"},
    {1002, Kind::List, 446, 136, 192, 12, ""},
    {1004, Kind::List, 446, 152, 192, 30, ""},
    {1005, Kind::List, 446, 168, 192, 30, ""},
    {1011, Kind::List, 446, 184, 192, 30, ""},
    {-1, Kind::Group, 440, 209, 204, 91, "Dimensioni e densit\u00e0 di allarme"},
    {1017, Kind::List, 446, 219, 192, 30, ""},
    {1007, Kind::List, 446, 235, 192, 30, ""},
    {1018, Kind::List, 446, 251, 192, 30, ""},
    {1008, Kind::List, 446, 267, 192, 30, ""},
    {1023, Kind::List, 446, 283, 192, 30, ""},
    {-1, Kind::Group, 13, 304, 204, 43, "Gestione automatica dei ritardi"},
    {1012, Kind::List, 19, 314, 192, 12, ""},
    {1013, Kind::List, 19, 330, 192, 30, ""},
    {-1, Kind::Group, 230, 304, 204, 43, "Pennello ed archivio immagini"},
    {1009, Kind::List, 236, 314, 192, 30, ""},
    {1010, Kind::List, 236, 330, 192, 30, ""},
    {1014, Kind::Button, 446, 312, 192, 18, "Disattivazione allarme"},
    {1016, Kind::Button, 500, 330, 84, 18, "Chiudi"},
    {1015, Kind::Button, 446, 312, 192, 18, "Attivazione allarme"},
};

// A closed drop-down list is one line high whatever its dropped height in the layout.
constexpr int closed_list_height = 21;

// The lists in the order arming and disarming switch them.
const int switching_order[] = {1022, 1006, 1000, 1019, 1020, 1021, 1002, 1004, 1005, 1011,
                               1017, 1007, 1018, 1008, 1023, 1009, 1010, 1012, 1013};

// The lists in the order the data exchange binds them.
const int exchange_order[] = {1006, 1000, 1002, 1004, 1005, 1011, 1007, 1008, 1009, 1010,
                              1012, 1013, 1017, 1018, 1019, 1020, 1021, 1022, 1023};

// Reads the first line of a text file as a 500-byte line buffer would hold it. Returns false
// when the file cannot be opened, holds nothing, or its line starts with NUL or a space.
bool read_first_line(const char *path, char (&buffer)[500])
{
    std::FILE *file = std::fopen(path, "r");
    if (file == nullptr)
        return false;
    const bool read = std::fgets(buffer, sizeof buffer, file) != nullptr;
    std::fclose(file);
    return read && buffer[0] != '\0' && buffer[0] != ' ';
}

bool in_display_area(QPoint p)
{
    return p.x() >= 0 && p.y() >= 0 && p.x() < display_width && p.y() < display_height;
}

} // namespace

COrvexDlg::COrvexDlg(QWidget *parent) : QDialog(parent)
{
    // The icons live in a static library, whose resource table the linker drops unless named.
    Q_INIT_RESOURCE(orvex);
    m_hIcon.addFile(":/icons/orvex-16.png");
    m_hIcon.addFile(":/icons/orvex-32.png");
    m_hIcon.addFile(":/icons/orvex-48.png");
    setWindowTitle("Orvex 7.0 - Camera 1");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    resize(dlu_x(657), dlu_y(359));
    create_controls();
}

COrvexDlg::~COrvexDlg()
{
    qApp->removeEventFilter(this);
}

void COrvexDlg::create_controls()
{
    // The narrow face keeps the longest list text readable in a closed list of the layout's width.
    QFont font("Liberation Sans Narrow");
    font.setPixelSize(12);
    setFont(font);

    QWidget *previous = nullptr;
    for (const TemplateItem &item : dialog_template) {
        QWidget *widget = nullptr;
        QRect geometry = dlu_rect(item.x, item.y, item.width, item.height);
        switch (item.kind) {
        case Kind::Group:
            widget = new QGroupBox(QString::fromUtf8(item.caption), this);
            widget->setFocusPolicy(Qt::NoFocus);
            break;
        case Kind::List: {
            auto *list = new QComboBox(this);
            list->setEditable(false);
            list->setFocusPolicy(Qt::StrongFocus);
            if (const ParameterList *values = parameter_list(item.id))
                for (const ParameterListItem &entry : values->items)
                    list->addItem(QString::fromStdString(entry.text));
            const int id = item.id;
            connect(list, &QComboBox::activated, this, [this, id](int) { on_list_selection(id); });
            geometry.setHeight(closed_list_height);
            widget = list;
            break;
        }
        case Kind::Button: {
            auto *button = new QPushButton(QString::fromUtf8(item.caption), this);
            button->setAutoDefault(false);
            button->setDefault(false);
            button->setFocusPolicy(Qt::StrongFocus);
            widget = button;
            break;
        }
        }
        widget->setGeometry(geometry);
        widget->setProperty("controlId", item.id);
        if (item.kind != Kind::Group) {
            if (previous != nullptr)
                QWidget::setTabOrder(previous, widget);
            previous = widget;
        }
    }

    auto *close_button = static_cast<QPushButton *>(GetDlgItem(1016));
    auto *disarm = static_cast<QPushButton *>(GetDlgItem(1014));
    auto *arm = static_cast<QPushButton *>(GetDlgItem(1015));
    connect(close_button, &QPushButton::clicked, this, [this] { OnBnClickedChiudiFinestra(); });
    connect(disarm, &QPushButton::clicked, this, [this] { OnBnClickedDisattivazioneAllarme(); });
    connect(arm, &QPushButton::clicked, this, [this] { OnBnClickedAttivazioneAllarme(); });

    // Return and Escape never reach the dialog or its controls.
    qApp->installEventFilter(this);
}

QWidget *COrvexDlg::GetDlgItem(int id) const
{
    for (QWidget *child : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (child->property("controlId").toInt() == id && id != -1)
            return child;
    return nullptr;
}

void COrvexDlg::SetTimer(int id, unsigned milliseconds)
{
    if (id != frame_timer_id)
        return;
    KillTimer(id);
    qt_frame_timer = startTimer(int(milliseconds), Qt::PreciseTimer);
    frame_timer_period = int(milliseconds);
}

void COrvexDlg::KillTimer(int id)
{
    if (id != frame_timer_id || qt_frame_timer == 0)
        return;
    killTimer(qt_frame_timer);
    qt_frame_timer = 0;
    frame_timer_period = -1;
}

int COrvexDlg::timer_period(int id) const
{
    return id == frame_timer_id ? frame_timer_period : -1;
}

QString *COrvexDlg::member_for(int control_id)
{
    switch (control_id) {
    case 1000: return &m_RaggioDellaFiltrazioneImmagine;
    case 1002: return &m_TracciamentiConsecutiviValidanti;
    case 1004: return &m_SpostamentoVerticaleCompatibile;
    case 1005: return &m_SpostamentoOrizzontaleCompatibile;
    case 1006: return &m_FramesPerSecondo;
    case 1007: return &m_AltezzaMassimaDegliOggettiIntrusi;
    case 1008: return &m_LarghezzaMassimaDegliOggettiIntrusi;
    case 1009: return &m_AreaElementareDiDesensibilizzazione;
    case 1010: return &m_NumeroMassimoDiImmaginiArchiviate;
    case 1011: return &m_DistanzaDiClustering;
    case 1012: return &m_AttivazioneIniziale;
    case 1013: return &m_AttivazioneConsecutivo;
    case 1017: return &m_AltezzaMinimaDegliOggettiIntrusi;
    case 1018: return &m_LarghezzaMinimaDegliOggettiIntrusi;
    case 1019: return &m_MagnitudineRgbDiSoglia;
    case 1020: return &m_VariazioneAngolareRgbSospetta;
    case 1021: return &m_VariazioneModulareRgbSospetta;
    case 1022: return &m_SostituzioneOppureAggiornamentoDelloSfondo;
    case 1023: return &m_DensitaMinimaDegliOggettiIntrusi;
    default: return nullptr;
    }
}

void COrvexDlg::DoDataExchange(bool from_controls)
{
    for (int id : exchange_order) {
        auto *list = static_cast<QComboBox *>(GetDlgItem(id));
        QString *member = member_for(id);
        if (from_controls) {
            *member = list->currentText();
            continue;
        }
        // Select the first item that begins with the text, ignoring case; none for an empty text.
        int found = -1;
        if (!member->isEmpty())
            for (int i = 0; i < list->count() && found < 0; ++i)
                if (list->itemText(i).startsWith(*member, Qt::CaseInsensitive))
                    found = i;
        list->setCurrentIndex(found);
    }
}

void COrvexDlg::UpdateData(bool from_controls)
{
    DoDataExchange(from_controls);
}

int COrvexDlg::DoModal()
{
    OnInitDialog();
    return exec();
}

bool COrvexDlg::OnInitDialog()
{
    // The window system has no application menu here: the About entry lives in a menu that a
    // right click outside the picture opens.
    system_menu = new QMenu(this);
    system_menu->addSeparator();
    QAction *about = system_menu->addAction("&About Orvex...");
    connect(about, &QAction::triggered, this, [this] { OnSysCommand(about_command_id); });
    setWindowIcon(m_hIcon);
    setWindowState(windowState() | Qt::WindowMinimized);

    GetDlgItem(1014)->hide();

    Lettura_Immagine_JPG("Resources_Archive/Connecting.jpg", matrice_rgb_24bpp_originale);
    Lettura_Dei_Parametri(parameter_file);
    read_sensitivity_mask(sensitive_pixels_path);

    if (!read_first_line("Resources_Archive/Http_Web_Request.txt", array_della_http_web_request))
        std::_Exit(1);
    // Both credential files are read; either one failing sends no credentials.
    if (!read_first_line("Resources_Archive/Username.txt", array_della_username))
        username_and_password = 0;
    if (!read_first_line("Resources_Archive/Password.txt", array_della_password))
        username_and_password = 0;

    for (const ParameterList &list : parameter_lists())
        *member_for(list.control_id) = QString::fromStdString(text_for_value(list));

    SetTimer(frame_timer_id, 1000 / frames_per_secondo);
    UpdateData(false);
    if (QWidget *first = GetDlgItem(1022))
        first->setFocus();
    return true;
}

void COrvexDlg::OnSysCommand(unsigned command_id)
{
    if ((command_id & 0xFFF0) == about_command_id) {
        CAboutDlg about(this);
        about.exec();
    }
}

void COrvexDlg::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    draw_frame(painter, matrice_rgb_24bpp_originale, altezza, larghezza, display_height,
               display_width);
}

void COrvexDlg::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == qt_frame_timer)
        OnTimer(frame_timer_id);
    else
        QDialog::timerEvent(event);
}

void COrvexDlg::OnTimer(unsigned)
{
    ++iterazioni_complessive_della_funzione_timer;
    if (iterazioni_complessive_della_funzione_timer == frames_per_secondo * attivazione_iniziale)
        OnBnClickedAttivazioneAllarme();
    Cattura_Elaborazione_Visualizzazione(this);
}

void Cattura_Elaborazione_Visualizzazione(QWidget *puntatore_di_finestra)
{
    acquire_frame();
    if (allarme_attivato != 0) {
        analyse_armed_frame([] {
            Scrittura_Immagine_JPG("Resources_Archive/Last_Image.jpg", matrice_rgb_24bpp_originale);
        });
    } else {
        analyse_disarmed_frame();
    }
    Visualizzazione_Matrice_RGB_24bpp(matrice_rgb_24bpp_originale, altezza, larghezza,
                                      display_height, display_width, puntatore_di_finestra);
}

void COrvexDlg::end_dialog()
{
    KillTimer(frame_timer_id);
    // A termination request can come while the About box runs its own loop, which would
    // otherwise keep the program up until the operator answers it.
    for (CAboutDlg *about : findChildren<CAboutDlg *>())
        about->reject();
    reject();
}

void COrvexDlg::OnBnClickedChiudiFinestra()
{
    end_dialog();
}

void COrvexDlg::OnClose()
{
    end_dialog();
}

void COrvexDlg::closeEvent(QCloseEvent *event)
{
    OnClose();
    event->accept();
}

void COrvexDlg::set_lists_enabled(bool enabled)
{
    for (int id : switching_order)
        GetDlgItem(id)->setEnabled(enabled);
}

void COrvexDlg::OnBnClickedAttivazioneAllarme()
{
    apply_archive_trimming_rule();
    enumerazione_delle_masse_intruse_archivio = 0;
    allarme_attivato = 1;
    set_lists_enabled(false);
    GetDlgItem(1014)->show();
    GetDlgItem(1015)->hide();
}

void COrvexDlg::OnBnClickedDisattivazioneAllarme()
{
    numero_massimo_di_immagini_archiviate_precedente = numero_massimo_di_immagini_archiviate;
    allarme_attivato = 0;
    set_lists_enabled(true);
    GetDlgItem(1015)->show();
    GetDlgItem(1014)->hide();
}

void COrvexDlg::on_list_selection(int control_id)
{
    UpdateData(true);
    apply_text(*parameter_list(control_id), member_for(control_id)->toStdString());
    Scrittura_Dei_Parametri(parameter_file);
    if (control_id == 1006) {
        KillTimer(frame_timer_id);
        SetTimer(frame_timer_id, 1000 / frames_per_secondo);
    }
}

void COrvexDlg::OnCbnSelchangeSostituzioneOppureAggiornamentoDelloSfondo() { on_list_selection(1022); }
void COrvexDlg::OnCbnSelchangeFramesPerSecondo() { on_list_selection(1006); }
void COrvexDlg::OnCbnSelchangeRaggioDellaFiltrazioneImmagine() { on_list_selection(1000); }
void COrvexDlg::OnCbnSelchangeMagnitudineRgbDiSoglia() { on_list_selection(1019); }
void COrvexDlg::OnCbnSelchangeVariazioneAngolareRgbSospetta() { on_list_selection(1020); }
void COrvexDlg::OnCbnSelchangeVariazioneModulareRgbSospetta() { on_list_selection(1021); }
void COrvexDlg::OnCbnSelchangeTracciamentiConsecutiviValidanti() { on_list_selection(1002); }
void COrvexDlg::OnCbnSelchangeSpostamentoVerticaleCompatibile() { on_list_selection(1004); }
void COrvexDlg::OnCbnSelchangeSpostamentoOrizzontaleCompatibile() { on_list_selection(1005); }
void COrvexDlg::OnCbnSelchangeDistanzaDiClustering() { on_list_selection(1011); }
void COrvexDlg::OnCbnSelchangeAltezzaMinimaDegliOggettiIntrusi() { on_list_selection(1017); }
void COrvexDlg::OnCbnSelchangeAltezzaMassimaDegliOggettiIntrusi() { on_list_selection(1007); }
void COrvexDlg::OnCbnSelchangeLarghezzaMinimaDegliOggettiIntrusi() { on_list_selection(1018); }
void COrvexDlg::OnCbnSelchangeLarghezzaMassimaDegliOggettiIntrusi() { on_list_selection(1008); }
void COrvexDlg::OnCbnSelchangeDensitaMinimaDegliOggettiIntrusi() { on_list_selection(1023); }
void COrvexDlg::OnCbnSelchangeAttivazioneIniziale() { on_list_selection(1012); }
void COrvexDlg::OnCbnSelchangeAttivazioneConsecutivo() { on_list_selection(1013); }
void COrvexDlg::OnCbnSelchangeAreaElementareDiDesensibilizzazione() { on_list_selection(1009); }
void COrvexDlg::OnCbnSelchangeNumeroMassimoDiImmaginiArchiviate() { on_list_selection(1010); }

void COrvexDlg::OnLButtonDown(QPoint point)
{
    if (allarme_attivato == 0)
        edit_sensitivity_mask(MaskClick::LeftDown, point.x(), point.y());
}

void COrvexDlg::OnLButtonDblClk(QPoint point)
{
    if (allarme_attivato == 0)
        edit_sensitivity_mask(MaskClick::LeftDoubleClick, point.x(), point.y());
}

void COrvexDlg::OnRButtonDown(QPoint point)
{
    if (allarme_attivato == 0)
        edit_sensitivity_mask(MaskClick::RightDown, point.x(), point.y());
}

void COrvexDlg::OnRButtonDblClk(QPoint point)
{
    if (allarme_attivato == 0)
        edit_sensitivity_mask(MaskClick::RightDoubleClick, point.x(), point.y());
}

void COrvexDlg::mousePressEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        OnLButtonDown(point);
    } else if (event->button() == Qt::RightButton) {
        if (!in_display_area(point) && system_menu != nullptr)
            system_menu->popup(event->globalPosition().toPoint());
        else
            OnRButtonDown(point);
    }
    QDialog::mousePressEvent(event);
}

// A double-click arrives as press, release, double-click, release; the double-click must not
// count as a second press.
void COrvexDlg::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        OnLButtonDblClk(point);
    else if (event->button() == Qt::RightButton && in_display_area(point))
        OnRButtonDblClk(point);
    event->accept();
}

bool COrvexDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool blocked = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                             key->key() == Qt::Key_Escape;
        auto *widget = qobject_cast<QWidget *>(watched);
        if (blocked && widget != nullptr && widget->window() == this)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}
