#include "ui/Formulario.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace kov::ui {

QAction* NovaAcao(QWidget* dona, const char* nome, const QString& texto, const QString& dica) {
    auto* a = new QAction(texto, dona);
    a->setObjectName(QString::fromLatin1(nome));
    a->setToolTip(dica);
    a->setStatusTip(dica);
    dona->addAction(a);
    return a;
}

QPushButton* BotaoDaAcao(QWidget* pai, QAction* acao, const char* nome, QStyle::StandardPixmap icone) {
    auto* b = new QPushButton(pai->style()->standardIcon(icone), acao->text(), pai);
    b->setObjectName(QString::fromLatin1(nome));
    b->setToolTip(acao->toolTip());
    b->setStatusTip(acao->statusTip());
    b->setAutoDefault(false);
    b->setMinimumWidth(96);
    b->setEnabled(acao->isEnabled());
    QObject::connect(b, &QPushButton::clicked, acao, &QAction::trigger);
    QObject::connect(acao, &QAction::enabledChanged, b, &QWidget::setEnabled);
    return b;
}

QGridLayout* GradeFormulario(QWidget* dona) {
    auto* g = new QGridLayout(dona);
    g->setHorizontalSpacing(8);
    g->setVerticalSpacing(7);
    return g;
}

void Rotular(QGridLayout* grade, const QString& texto, QWidget* controle, int linha, int coluna) {
    auto* l = new QLabel(texto, controle->parentWidget());
    l->setBuddy(controle);
    grade->addWidget(l, linha, coluna, Qt::AlignRight | Qt::AlignVCenter);
}

}  // namespace kov::ui
