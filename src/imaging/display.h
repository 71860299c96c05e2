// Drawing the frame buffer into the window's 640 x 480 display area, stretched to fill it.
#pragma once

#include <cstdint>

class QPainter;
class QWidget;

// Draws the rows x cols packed BGR buffer stretched into (0, 0, larghezza_del_quadro,
// altezza_del_quadro) with the toolkit's default fast scaling. Draws nothing for an empty frame.
// Meant for a paint event: Qt widgets paint nowhere else.
void draw_frame(QPainter &painter, const uint8_t *rgb, uint32_t rows, uint32_t cols,
                uint32_t altezza_del_quadro, uint32_t larghezza_del_quadro);

// Shows the frame now: repaints the window's display area at once, and the window's paint
// handler draws the frame buffer there with draw_frame.
void Visualizzazione_Matrice_RGB_24bpp(const uint8_t *matrice_RGB_24bpp,
                                       uint32_t righe_della_immagine,
                                       uint32_t colonne_della_immagine,
                                       uint32_t altezza_del_quadro, uint32_t larghezza_del_quadro,
                                       QWidget *puntatore_di_finestra);
