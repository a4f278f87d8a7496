#include "ui/frmEResponsaveis.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "ui/Ajuda.h"

namespace kov::ui {

TFormEdicaoResponsavel::TFormEdicaoResponsavel(Tdm& dm, ConjuntoDados* conjunto, QWidget* pai)
    : TfrmAncestralKOV(dm, conjunto, pai) {
    setObjectName(QStringLiteral("FormEdicaoResponsavel"));
    setWindowTitle(QStringLiteral("Responsável pelas informações"));
    DefinirContextoAjuda(this, ContextoAjuda::Responsaveis);

    auto* grade = new QGridLayout(corpo());
    grade->setContentsMargins(4, 8, 4, 8);
    grade->setHorizontalSpacing(10);
    grade->setVerticalSpacing(8);
    auto campo = [this, grade](const char* nome, const char* objeto, const QString& rotulo, int maximo, int linha,
                               int coluna, int largura) {
        auto* e = new QLineEdit(corpo());
        e->setObjectName(QString::fromLatin1(objeto));
        e->setMaxLength(maximo);
        LigarCampo(e, nome);
        auto* l = new QLabel(rotulo, corpo());
        l->setBuddy(e);
        grade->addWidget(l, linha, coluna, Qt::AlignRight | Qt::AlignVCenter);
        grade->addWidget(e, linha, coluna + 1, 1, largura);
        return e;
    };
    edtNome = campo("NOME", "edtNome", QStringLiteral("Nome"), 40, 0, 0, 3);
    edtDDD = campo("DDD", "edtDDD", QStringLiteral("DDD"), 3, 1, 0, 1);
    edtTelefone = campo("TELEFONE", "edtTelefone", QStringLiteral("Telefone"), 8, 1, 2, 1);
    edtEmail = campo("EMAIL", "edtEmail", QStringLiteral("E-Mail"), 50, 2, 0, 3);
    edtDDD->setMaximumWidth(60);
    edtTelefone->setMaximumWidth(120);
    grade->setColumnStretch(3, 1);
    grade->setRowStretch(3, 1);
    setMinimumWidth(520);

    iniciarTela();
}

}  // namespace kov::ui
