#include "ui/uOpcoes.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kov::ui {

TscrOpcoes::TscrOpcoes(QWidget* pai) : QDialog(pai) {
    setObjectName(QStringLiteral("scrOpcoes"));
    setWindowTitle(QStringLiteral("Confirmação"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* icone = new QLabel(this);
    icone->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    icone->setAlignment(Qt::AlignTop);
    auto* texto =
        new QLabel(QStringLiteral("Já existe um arquivo de backup com data de hoje. Deseja sobrescreve-lo?"), this);
    texto->setObjectName(QStringLiteral("lblMensagem"));
    texto->setWordWrap(true);
    texto->setMinimumWidth(320);

    btnSim_ = new QPushButton(QStringLiteral("&Sim"), this);
    btnSim_->setObjectName(QStringLiteral("btnSim"));
    btnSim_->setDefault(true);
    btnNao_ = new QPushButton(QStringLiteral("&Não"), this);
    btnNao_->setObjectName(QStringLiteral("btnNao"));
    btnOutroNome_ = new QPushButton(QStringLiteral("Grava&r com outro nome"), this);
    btnOutroNome_->setObjectName(QStringLiteral("btnOutroNome"));
    connect(btnSim_, &QPushButton::clicked, this, [this] { escolher(QStringLiteral("S")); });
    connect(btnNao_, &QPushButton::clicked, this, [this] { escolher(QStringLiteral("N")); });
    connect(btnOutroNome_, &QPushButton::clicked, this, [this] { escolher(QStringLiteral("R")); });

    auto* topo = new QHBoxLayout;
    topo->setSpacing(14);
    topo->addWidget(icone);
    topo->addWidget(texto, 1);
    auto* botoes = new QHBoxLayout;
    botoes->addStretch(1);
    botoes->addWidget(btnSim_);
    botoes->addWidget(btnNao_);
    botoes->addWidget(btnOutroNome_);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(18, 18, 18, 14);
    lay->setSpacing(16);
    lay->addLayout(topo);
    lay->addLayout(botoes);
}

void TscrOpcoes::escolher(const QString& r) {
    resultado_ = r;
    accept();
}

}  // namespace kov::ui
