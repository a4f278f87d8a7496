#pragma once
// Teclado comum das telas de edição e de passos: Esc fecha; Enter vai ao próximo controle e
// Shift+Enter ao anterior (também saindo de grades e memorandos). Nas telas de passos Enter
// sobre um botão o aciona; nas de edição Enter só anda, para quem percorre os campos com
// Enter não gravar a tela sem querer (o espaço aciona o botão). Dentro de uma grade
// editável Enter e Esc são da grade.
#include <functional>

class QEvent;
class QObject;
class QWidget;

namespace kov::ui {

// Propriedade das grades que tratam Enter e Esc elas mesmas.
inline constexpr const char* PropriedadeGradeEditavel = "gradeEditavel";

// O controle é uma grade editável ou está dentro de uma (o editor de uma célula).
bool DentroDeGradeEditavel(const QWidget* w);

// Devolve verdadeiro quando a tecla foi tratada. 'moverFoco(true)' vai ao próximo controle.
bool TratarTeclaDaTela(QWidget* tela, QObject* alvo, QEvent* e, const std::function<void()>& fechar,
                       const std::function<void(bool)>& moverFoco, bool enterAcionaBotao = true);

}  // namespace kov::ui
