#pragma once
// Teclado comum das telas de edição e de passos: Esc fecha; Enter vai ao próximo controle e
// Shift+Enter ao anterior (também saindo de grades e memorandos); Enter sobre um botão o aciona.
#include <functional>

class QEvent;
class QObject;
class QWidget;

namespace kov::ui {

// Devolve verdadeiro quando a tecla foi tratada. 'moverFoco(true)' vai ao próximo controle.
bool TratarTeclaDaTela(QWidget* tela, QObject* alvo, QEvent* e, const std::function<void()>& fechar,
                       const std::function<void(bool)>& moverFoco);

}  // namespace kov::ui
