// Drawing the frame buffer into the window: the buffer is wrapped, never copied, and stretched.
#include "display.h"

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QWidget>

void draw_frame(QPainter &painter, const uint8_t *rgb, uint32_t rows, uint32_t cols,
                uint32_t altezza_del_quadro, uint32_t larghezza_del_quadro)
{
    if (rgb == nullptr || rows == 0 || cols == 0)
        return;
    // Rows are packed, so the line length is exactly three bytes per column, whatever the width.
    const QImage frame(rgb, int(cols), int(rows), qsizetype(3) * cols, QImage::Format_BGR888);
    painter.drawImage(QRect(0, 0, int(larghezza_del_quadro), int(altezza_del_quadro)), frame);
}

void Visualizzazione_Matrice_RGB_24bpp(const uint8_t *, uint32_t, uint32_t,
                                       uint32_t altezza_del_quadro, uint32_t larghezza_del_quadro,
                                       QWidget *puntatore_di_finestra)
{
    // The window's paint handler draws the frame buffer; a repaint runs it before returning.
    if (puntatore_di_finestra == nullptr)
        return;
    puntatore_di_finestra->repaint(0, 0, int(larghezza_del_quadro), int(altezza_del_quadro));
}
