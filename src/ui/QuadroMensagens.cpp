#include "ui/QuadroMensagens.h"

#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QTextStream>
#include <algorithm>

namespace kov::ui {

std::vector<AvisoQuadro> LerAvisos(const QString& arquivo) {
    std::vector<AvisoQuadro> avisos;
    QFile f(arquivo);
    if (!f.open(QIODevice::ReadOnly)) return avisos;
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) {
        QString linha = in.readLine();
        if (linha.endsWith(QLatin1Char('\r'))) linha.chop(1);  // arquivo escrito no Windows
        if (linha.isEmpty()) continue;
        avisos.push_back({linha.front() == QLatin1Char('1'), linha.mid(1)});
    }
    return avisos;
}

std::vector<AvisoPosicionado> DisporAvisos(const std::vector<int>& largurasTexto, const MedidasQuadro& m) {
    using namespace Quadro;
    std::vector<AvisoPosicionado> r;
    const int esquerdaIcone = m.esquerdaMargem + RecuoIcone;
    const int esquerdaTexto = esquerdaIcone + m.icone.width() + DistanciaTexto;
    // Numa janela estreita demais a caixa de texto fica com 1 pixel, em vez de dividir por zero.
    const int larguraCaixa = std::max(1, m.larguraJanela - MargemDireita - esquerdaTexto);
    int topo = m.baseCabecalho + DistanciaCabecalho;
    for (int i = 0; i < static_cast<int>(largurasTexto.size()); ++i) {
        if (m.alturaJanela - ReservaInferior < topo) break;
        AvisoPosicionado a;
        a.indice = i;
        a.linhas = 1 + std::max(0, largurasTexto[i]) / larguraCaixa;
        a.icone = QRect(QPoint(esquerdaIcone, topo), m.icone);
        a.texto = QRect(esquerdaTexto, topo, larguraCaixa, AlturaPorLinha * a.linhas);
        r.push_back(a);
        topo += m.alturaLinha * a.linhas + EspacoEntreAvisos;
    }
    return r;
}

TDRUMensagem::TDRUMensagem(const AvisoQuadro& aviso, const QPixmap& figura, const QFont& fonte, QWidget* quadro)
    : QObject(quadro), ativo_(aviso.ativo) {
    setObjectName(QStringLiteral("TDRUMensagem"));
    icone_ = new QLabel(quadro);
    icone_->setObjectName(QStringLiteral("iconeAviso"));
    icone_->setPixmap(figura);
    icone_->setFixedSize(figura.size());
    rotulo_ = new QLabel(quadro);
    rotulo_->setObjectName(QStringLiteral("textoAviso"));
    rotulo_->setTextFormat(Qt::PlainText);
    rotulo_->setText(aviso.texto);
    rotulo_->setWordWrap(true);
    rotulo_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    rotulo_->setFont(fonte);
    QPalette p = rotulo_->palette();
    p.setColor(QPalette::WindowText, ativo_ ? QColor(Qt::black) : QColor(128, 128, 128));
    rotulo_->setPalette(p);
}

int TDRUMensagem::larguraTexto() const { return QFontMetrics(rotulo_->font()).horizontalAdvance(rotulo_->text()); }

QuadroMensagens::QuadroMensagens(QWidget* pai) : QWidget(pai) {
    setObjectName(QStringLiteral("quadroMensagens"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

QFont QuadroMensagens::fonteAviso(bool ativo) {
    QFont f(QStringLiteral("Arial"), 10);
    f.setBold(ativo);
    f.setItalic(!ativo);
    return f;
}

void QuadroMensagens::definirCabecalho(const QPixmap& figura) {
    cabecalho_ = figura;
    posicionarRotulos();
    dispor();
    update();
}

int QuadroMensagens::alturaCabecalho() const { return cabecalho_.isNull() ? 90 : cabecalho_.height(); }

void QuadroMensagens::definirRotulos(QLabel* faixaTeste, QLabel* relogio) {
    faixaTeste_ = faixaTeste;
    relogio_ = relogio;
    if (faixaTeste_) faixaTeste_->setParent(this);
    if (relogio_) relogio_->setParent(this);
    posicionarRotulos();
}

void QuadroMensagens::montar(const std::vector<AvisoQuadro>& avisos, const QPixmap& figuraAtivo,
                             const QPixmap& figuraInativo) {
    for (auto* m : mensagens_) {
        delete m->icone();
        delete m->rotulo();
        delete m;
    }
    mensagens_.clear();
    icone_ = QSize();
    for (const auto& a : avisos) {
        const QPixmap& figura = a.ativo ? figuraAtivo : figuraInativo;
        icone_ = icone_.expandedTo(figura.size());
        mensagens_.push_back(new TDRUMensagem(a, figura, fonteAviso(a.ativo), this));
    }
    dispor();
}

int QuadroMensagens::exibidos() const {
    return static_cast<int>(std::count_if(mensagens_.begin(), mensagens_.end(), [](auto* m) { return m->exibido(); }));
}

MedidasQuadro QuadroMensagens::medidas() const {
    const QWidget* janela = window();
    const QPoint origem = mapTo(janela, QPoint(0, 0));
    MedidasQuadro m;
    m.esquerdaMargem = origem.x();
    m.baseCabecalho = origem.y() + alturaCabecalho();
    m.icone = icone_;
    m.larguraJanela = janela->width();
    m.alturaJanela = janela->height();
    m.alturaLinha = QFontMetrics(fonteAviso(false)).height();
    return m;
}

void QuadroMensagens::dispor() {
    if (mensagens_.empty()) return;
    std::vector<int> larguras;
    larguras.reserve(mensagens_.size());
    for (auto* m : mensagens_) larguras.push_back(m->larguraTexto());
    const auto postos = DisporAvisos(larguras, medidas());
    const QPoint origem = mapTo(window(), QPoint(0, 0));
    std::vector<bool> exibir(mensagens_.size(), false);
    for (const auto& p : postos) {
        TDRUMensagem* m = mensagens_[p.indice];
        m->icone()->setGeometry(p.icone.translated(-origem));
        m->rotulo()->setGeometry(p.texto.translated(-origem));
        exibir[p.indice] = true;
    }
    for (size_t i = 0; i < mensagens_.size(); ++i) {
        mensagens_[i]->icone()->setVisible(exibir[i]);
        mensagens_[i]->rotulo()->setVisible(exibir[i]);
    }
}

void QuadroMensagens::posicionarRotulos() {
    const int h = alturaCabecalho();
    if (faixaTeste_) {
        faixaTeste_->adjustSize();
        const QSize s = faixaTeste_->sizeHint();
        faixaTeste_->setGeometry(width() - s.width() - 24, h - s.height() - 8, s.width(), s.height());
    }
    if (relogio_) {
        relogio_->adjustSize();
        const QSize s = relogio_->sizeHint();
        relogio_->setGeometry(width() - s.width() - 16, height() - s.height() - 10, s.width(), s.height());
    }
}

void QuadroMensagens::resizeEvent(QResizeEvent*) {
    posicionarRotulos();
    dispor();
}

void QuadroMensagens::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // Faixa de margem à esquerda, em toda a altura.
    p.fillRect(QRect(0, 0, LarguraFaixa, height()), QColor(0xD9, 0xA5, 0x21));
    const int h = alturaCabecalho();
    const QRect area(LarguraFaixa, 0, width() - LarguraFaixa, h);
    if (cabecalho_.isNull()) {
        QLinearGradient g(area.topLeft(), area.bottomLeft());
        g.setColorAt(0, QColor(0xEE, 0xF3, 0xF8));
        g.setColorAt(1, QColor(0xC8, 0xD7, 0xE8));
        p.fillRect(area, g);
        return;
    }
    // A figura fica à esquerda; além dela a última coluna se estende até a borda direita.
    const int w = std::min(cabecalho_.width(), area.width());
    p.drawPixmap(QRect(area.left(), 0, w, h), cabecalho_, QRect(0, 0, w, h));
    if (area.width() > w)
        p.drawPixmap(QRect(area.left() + w, 0, area.width() - w, h), cabecalho_,
                     QRect(cabecalho_.width() - 1, 0, 1, h));
}

}  // namespace kov::ui
