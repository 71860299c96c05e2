// The main dialog: the 27 controls of the layout, the start-up sequence, the frame timer, the
// handlers of buttons, lists and mouse, and the small platform layer they rely on (control ids,
// window timer, data exchange between the lists and their texts).
#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>

#include <cstdint>

class QMenu;

// 0 disarmed, 1 armed.
extern uint32_t allarme_attivato;
// Timer ticks handled since start; never reset.
extern uint32_t iterazioni_complessive_della_funzione_timer;

constexpr int display_width = 640;
constexpr int display_height = 480;
constexpr int frame_timer_id = 101;
constexpr unsigned about_command_id = 0x0010;

class COrvexDlg : public QDialog {
public:
    explicit COrvexDlg(QWidget *parent = nullptr);
    ~COrvexDlg() override;

    // Start-up sequence, then the modal loop; returns when the dialog is closed.
    int DoModal();
    bool OnInitDialog();

    // Platform layer.
    QWidget *GetDlgItem(int id) const;
    void SetTimer(int id, unsigned milliseconds);
    void KillTimer(int id);
    int timer_period(int id) const; // -1 when not running
    void UpdateData(bool from_controls);
    void DoDataExchange(bool from_controls);

    // Handlers.
    void OnSysCommand(unsigned command_id);
    void OnTimer(unsigned timer_id);
    void OnBnClickedChiudiFinestra();
    void OnClose();
    void OnBnClickedAttivazioneAllarme();
    void OnBnClickedDisattivazioneAllarme();
    void OnLButtonDown(QPoint point);
    void OnLButtonDblClk(QPoint point);
    void OnRButtonDown(QPoint point);
    void OnRButtonDblClk(QPoint point);

    void OnCbnSelchangeSostituzioneOppureAggiornamentoDelloSfondo();
    void OnCbnSelchangeFramesPerSecondo();
    void OnCbnSelchangeRaggioDellaFiltrazioneImmagine();
    void OnCbnSelchangeMagnitudineRgbDiSoglia();
    void OnCbnSelchangeVariazioneAngolareRgbSospetta();
    void OnCbnSelchangeVariazioneModulareRgbSospetta();
    void OnCbnSelchangeTracciamentiConsecutiviValidanti();
    void OnCbnSelchangeSpostamentoVerticaleCompatibile();
    void OnCbnSelchangeSpostamentoOrizzontaleCompatibile();
    void OnCbnSelchangeDistanzaDiClustering();
    void OnCbnSelchangeAltezzaMinimaDegliOggettiIntrusi();
    void OnCbnSelchangeAltezzaMassimaDegliOggettiIntrusi();
    void OnCbnSelchangeLarghezzaMinimaDegliOggettiIntrusi();
    void OnCbnSelchangeLarghezzaMassimaDegliOggettiIntrusi();
    void OnCbnSelchangeDensitaMinimaDegliOggettiIntrusi();
    void OnCbnSelchangeAttivazioneIniziale();
    void OnCbnSelchangeAttivazioneConsecutivo();
    void OnCbnSelchangeAreaElementareDiDesensibilizzazione();
    void OnCbnSelchangeNumeroMassimoDiImmaginiArchiviate();

    // The texts bound to the 19 lists.
    QString m_RaggioDellaFiltrazioneImmagine;
    QString m_TracciamentiConsecutiviValidanti;
    QString m_SpostamentoVerticaleCompatibile;
    QString m_SpostamentoOrizzontaleCompatibile;
    QString m_FramesPerSecondo;
    QString m_AltezzaMassimaDegliOggettiIntrusi;
    QString m_LarghezzaMassimaDegliOggettiIntrusi;
    QString m_AreaElementareDiDesensibilizzazione;
    QString m_NumeroMassimoDiImmaginiArchiviate;
    QString m_AttivazioneIniziale;
    QString m_AttivazioneConsecutivo;
    QString m_DistanzaDiClustering;
    QString m_AltezzaMinimaDegliOggettiIntrusi;
    QString m_LarghezzaMinimaDegliOggettiIntrusi;
    QString m_MagnitudineRgbDiSoglia;
    QString m_VariazioneAngolareRgbSospetta;
    QString m_VariazioneModulareRgbSospetta;
    QString m_SostituzioneOppureAggiornamentoDelloSfondo;
    QString m_DensitaMinimaDegliOggettiIntrusi;

protected:
    void paintEvent(QPaintEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void create_controls();
    void on_list_selection(int control_id);
    void set_lists_enabled(bool enabled);
    QString *member_for(int control_id);
    void end_dialog();

    QIcon m_hIcon;
    QMenu *system_menu = nullptr;
    int qt_frame_timer = 0;
    int frame_timer_period = -1;
};

// Runs one frame cycle: acquisition, then the armed sequence or the disarmed path, then display.
void Cattura_Elaborazione_Visualizzazione(QWidget *puntatore_di_finestra);
