#pragma once
// Mensagens particulares trocadas entre as janelas do programa.
#include <QEvent>

namespace kov::ui {

// Pede à janela principal que leia de novo o ano base e reescreva o seu rótulo
// (enviada pela tela de parâmetros depois do OK).
inline const QEvent::Type EventoAtualizarAnoBase = static_cast<QEvent::Type>(QEvent::User + 1);

}  // namespace kov::ui
