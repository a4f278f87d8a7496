#pragma once
// Peças comuns da montagem das telas: ações com nome e dica, botões ligados a uma ação,
// grades de formulário e os rótulos que levam ao seu controle.
#include <QString>
#include <QStyle>

class QAction;
class QGridLayout;
class QPushButton;
class QWidget;

namespace kov::ui {

// Ação da janela com o nome do objeto, o texto e a dica (também na barra de situação).
QAction* NovaAcao(QWidget* dona, const char* nome, const QString& texto, const QString& dica);
// Botão com o texto, a dica e o estado da ação, que a aciona quando clicado.
QPushButton* BotaoDaAcao(QWidget* pai, QAction* acao, const char* nome, QStyle::StandardPixmap icone);
// Grade de formulário com os espaçamentos das telas.
QGridLayout* GradeFormulario(QWidget* dona);
// Rótulo alinhado à direita na grade, que leva o foco ao controle (atalho com &).
void Rotular(QGridLayout* grade, const QString& texto, QWidget* controle, int linha, int coluna);

}  // namespace kov::ui
