#include "reports/Relatorio.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextLayout>
#include <QTextOption>
#include <stdexcept>

#include "platform/GravacaoSegura.h"

namespace kov::relatorios {

namespace {

// Resolução de referência das medidas de texto na montagem: a mesma do PDF.
constexpr int ResolucaoPdf = 600;
constexpr double MmPorPolegada = 25.4;

QFont fonteQt(const Fonte& f) {
    QFont q(f.mono ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
    q.setStyleHint(f.mono ? QFont::Monospace : QFont::SansSerif);
    q.setPointSizeF(f.pontos);
    q.setBold(f.negrito);
    q.setItalic(f.italico);
    // Sem ligaduras ("fi" vira um só glifo): o texto do PDF precisa ser copiável e pesquisável
    q.setStyleStrategy(QFont::PreferNoShaping);
    return q;
}

// Dispositivo de referência para medir textos fora de qualquer desenho.
const QPaintDevice& referencia() {
    static const QImage img = [] {
        QImage i(4, 4, QImage::Format_Mono);
        const int dpm = static_cast<int>(ResolucaoPdf / 0.0254 + 0.5);
        i.setDotsPerMeterX(dpm);
        i.setDotsPerMeterY(dpm);
        return i;
    }();
    return img;
}

double mmDeReferencia(double unidades) { return unidades * MmPorPolegada / ResolucaoPdf; }

Qt::Alignment alinhamentoQt(Alinhamento a) {
    switch (a) {
    case Alinhamento::Centro: return Qt::AlignHCenter;
    case Alinhamento::Direita: return Qt::AlignRight;
    default: return Qt::AlignLeft;
    }
}

}  // namespace

QString Valor(const Dinheiro& d) { return QString::fromStdString(d.formatado()); }

QString NumeroSimples(const Dinheiro& d) {
    const int64_t c = d.centavos();
    const uint64_t a = c < 0 ? static_cast<uint64_t>(-(c + 1)) + 1 : static_cast<uint64_t>(c);
    QString s = QString::number(a / 100);
    const int cent = static_cast<int>(a % 100);
    if (cent != 0) {
        QString dec = QStringLiteral("%1").arg(cent, 2, 10, QLatin1Char('0'));
        if (dec.endsWith(QLatin1Char('0'))) dec.chop(1);
        s += QLatin1Char(',') + dec;
    }
    return c < 0 ? QLatin1Char('-') + s : s;
}

double LarguraTexto(const QString& t, const Fonte& f) {
    const QFontMetricsF m(fonteQt(f), const_cast<QPaintDevice*>(&referencia()));
    return mmDeReferencia(m.horizontalAdvance(t));
}

double AlturaLinha(const Fonte& f) {
    const QFontMetricsF m(fonteQt(f), const_cast<QPaintDevice*>(&referencia()));
    return mmDeReferencia(m.height());
}

double AlturaParagrafo(const QString& t, const Fonte& f, double largura) {
    const QFontMetricsF m(fonteQt(f), const_cast<QPaintDevice*>(&referencia()));
    const double w = largura * ResolucaoPdf / MmPorPolegada;
    const QRectF r = m.boundingRect(QRectF(0, 0, w, 1e9), Qt::TextWordWrap | Qt::AlignLeft, t);
    return mmDeReferencia(std::max(r.height(), m.height()));
}

// --- Banda ----------------------------------------------------------------------------

void Banda::crescerAte(double fundo) {
    if (fundo > altura_) altura_ = fundo;
}

Banda& Banda::texto(double x, double y, double largura, const QString& t, Fonte f, Alinhamento a, double altura) {
    Elemento e;
    e.tipo = Elemento::Tipo::Texto;
    const double h = altura > 0 ? altura : AlturaLinha(f);
    e.area = QRectF(x, y, largura, h);
    e.texto = t;
    e.fonte = f;
    e.alinhamento = a;
    elementos_.push_back(std::move(e));
    crescerAte(y + h);
    return *this;
}

Banda& Banda::valor(double x, double y, double largura, const Dinheiro& d, Fonte f) {
    return texto(x, y, largura, Valor(d), f, Alinhamento::Direita);
}

double Banda::paragrafo(double x, double y, double largura, const QString& t, Fonte f) {
    const double h = AlturaParagrafo(t, f, largura);
    Elemento e;
    e.tipo = Elemento::Tipo::Texto;
    e.area = QRectF(x, y, largura, h);
    e.texto = t;
    e.fonte = f;
    e.quebraLinhas = true;
    elementos_.push_back(std::move(e));
    crescerAte(y + h);
    return h;
}

Banda& Banda::linha(double x1, double y1, double x2, double y2, double espessura) {
    Elemento e;
    e.tipo = Elemento::Tipo::Linha;
    e.area = QRectF(QPointF(x1, y1), QPointF(x2, y2));
    e.espessura = espessura;
    elementos_.push_back(std::move(e));
    crescerAte(std::max(y1, y2) + espessura / 2);
    return *this;
}

Banda& Banda::retangulo(const QRectF& r, double espessura) {
    Elemento e;
    e.tipo = Elemento::Tipo::Retangulo;
    e.area = r;
    e.espessura = espessura;
    elementos_.push_back(std::move(e));
    crescerAte(r.bottom());
    return *this;
}

Banda& Banda::desenho(const QRectF& r, std::function<void(QPainter&, const QRectF&)> f) {
    Elemento e;
    e.tipo = Elemento::Tipo::Desenho;
    e.area = r;
    e.desenho = std::move(f);
    elementos_.push_back(std::move(e));
    crescerAte(r.bottom());
    return *this;
}

QString Banda::textoCompleto() const {
    QString s;
    for (const auto& e : elementos_)
        if (e.tipo == Elemento::Tipo::Texto) s += e.texto + QLatin1Char('\n');
    return s;
}

// --- Relatório ------------------------------------------------------------------------

Relatorio::Relatorio(QString tituloTrabalho, QDateTime momento)
    : titulo_(std::move(tituloTrabalho)), momento_(std::move(momento)) {}

void Relatorio::definirRodape(double altura, std::function<Banda(const InfoPagina&)> f) {
    alturaRodape_ = altura;
    rodape_ = std::move(f);
}

void Relatorio::abrirPagina() {
    paginas_.push_back(Pagina{});
    aberta_ = true;
    y_ = 0;
    if (cabecalho_) {
        Banda b = cabecalho_(InfoPagina{paginas(), 0});
        const double h = b.altura();
        paginas_.back().bandas.push_back(Colocada{0, std::move(b)});
        y_ = h;
    }
    if (repetir_) {
        paginas_.back().bandas.push_back(Colocada{y_, *repetir_});
        y_ += repetir_->altura();
    }
}

void Relatorio::colocar(Banda b) {
    if (!aberta_) abrirPagina();
    // Uma banda maior que a página inteira fica sozinha numa página (cortada no pé),
    // em vez de abrir páginas vazias sem fim.
    if (y_ + b.altura() > limiteInferior() + 1e-6 && !paginas_.back().soCabecalho) abrirPagina();
    const double h = b.altura();
    paginas_.back().bandas.push_back(Colocada{y_, std::move(b)});
    paginas_.back().soCabecalho = false;
    y_ += h;
}

void Relatorio::titulo(Banda b) { colocar(std::move(b)); }
void Relatorio::detalhe(Banda b) { colocar(std::move(b)); }

void Relatorio::cabecalhoGrupo(Banda b, bool novaPagina) {
    repetir_.reset();
    if (novaPagina && aberta_ && !paginas_.back().soCabecalho) aberta_ = false;
    colocar(std::move(b));
}

void Relatorio::quebrarPagina() { aberta_ = false; }

void Relatorio::textoCorrido(const QString& t, Fonte f, double x, double largura) {
    const double h = AlturaLinha(f);
    const double w = largura * ResolucaoPdf / MmPorPolegada;
    QString texto = t;
    texto.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString& linha : texto.split(QLatin1Char('\n'))) {
        QStringList partes;
        if (linha.isEmpty()) {
            partes << QString();
        } else {
            QTextLayout layout(linha, fonteQt(f), const_cast<QPaintDevice*>(&referencia()));
            QTextOption opcao;
            opcao.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(opcao);
            layout.beginLayout();
            for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
                l.setLineWidth(w);
                partes << linha.mid(l.textStart(), l.textLength());
            }
            layout.endLayout();
        }
        for (const QString& p : partes) {
            Banda b;
            b.texto(x, 0, largura, p, f, Alinhamento::Esquerda, h);
            detalhe(std::move(b));
        }
    }
}

QString Relatorio::textoDaPagina(int i) const {
    QString s;
    for (const auto& c : paginas_.at(static_cast<size_t>(i)).bandas) s += c.banda.textoCompleto();
    return s;
}

void Relatorio::configurarImpressora(QPrinter& impressora) const {
    impressora.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(Margem, Margem, Margem, Margem), QPageLayout::Millimeter));
    impressora.setDocName(titulo_);
    impressora.setCreator(QStringLiteral("KOV"));
}

namespace {

void desenharBanda(QPainter& p, const Banda& b, double y0, double escala) {
    auto ret = [&](const QRectF& r) {
        return QRectF(r.x() * escala, (r.y() + y0) * escala, r.width() * escala, r.height() * escala);
    };
    for (const auto& e : b.elementos()) {
        switch (e.tipo) {
        case Elemento::Tipo::Texto: {
            p.setFont(fonteQt(e.fonte));
            p.setPen(QPen(Qt::black));
            const QRectF r = ret(e.area);
            if (e.quebraLinhas) {
                p.drawText(r, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, e.texto);
            } else {
                // Texto que não cabe é cortado na largura da caixa, nunca sobre o vizinho.
                const QFontMetricsF m(p.font(), p.device());
                const bool corta = m.horizontalAdvance(e.texto) > r.width() + 0.5;
                if (corta) {
                    p.save();
                    p.setClipRect(r);
                }
                p.drawText(r, Qt::TextSingleLine | Qt::TextDontClip | Qt::AlignVCenter | alinhamentoQt(e.alinhamento),
                           e.texto);
                if (corta) p.restore();
            }
            break;
        }
        case Elemento::Tipo::Linha:
            p.setPen(QPen(Qt::black, e.espessura * escala, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(QPointF(e.area.left() * escala, (e.area.top() + y0) * escala),
                       QPointF(e.area.right() * escala, (e.area.bottom() + y0) * escala));
            break;
        case Elemento::Tipo::Retangulo:
            p.setPen(QPen(Qt::black, e.espessura * escala));
            p.setBrush(Qt::NoBrush);
            p.drawRect(ret(e.area));
            break;
        case Elemento::Tipo::Desenho:
            p.save();
            e.desenho(p, ret(e.area));
            p.restore();
            break;
        }
    }
}

}  // namespace

void Relatorio::desenharPagina(QPainter& p, double escala, int i) const {
    for (const auto& c : paginas_[static_cast<size_t>(i)].bandas) desenharBanda(p, c.banda, c.y, escala);
    if (rodape_) {
        const Banda b = rodape_(InfoPagina{i + 1, paginas()});
        desenharBanda(p, b, AlturaUtil - b.altura(), escala);
    }
}

void Relatorio::desenhar(QPagedPaintDevice& dispositivo) const {
    QPainter p;
    if (!p.begin(&dispositivo)) throw std::runtime_error("Não foi possível iniciar a impressão.");
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const double escala = dispositivo.logicalDpiX() / MmPorPolegada;
    for (int i = 0; i < paginas(); ++i) {
        if (i > 0) dispositivo.newPage();
        desenharPagina(p, escala, i);
    }
    p.end();
}

void Relatorio::desenhar(QPrinter& impressora, const std::function<bool(int, int)>& progresso) const {
    // Intervalo de páginas escolhido no diálogo da impressora (0 a 0: todas).
    const int de = std::max(1, impressora.fromPage());
    const int ate = impressora.toPage() > 0 ? std::min(impressora.toPage(), paginas()) : paginas();
    QPainter p;
    if (!p.begin(&impressora)) throw std::runtime_error("Não foi possível iniciar a impressão.");
    p.setRenderHint(QPainter::Antialiasing);
    const double escala = impressora.logicalDpiX() / MmPorPolegada;
    for (int i = de; i <= ate; ++i) {
        if (progresso && !progresso(i, ate)) {
            impressora.abort();  // nada vai para a impressora
            p.end();
            return;
        }
        if (i > de) impressora.newPage();
        desenharPagina(p, escala, i - 1);
    }
    p.end();
}

QByteArray Relatorio::pdf() const {
    QByteArray dados;
    QBuffer buffer(&dados);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter w(&buffer);
        w.setResolution(ResolucaoPdf);
        w.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                    QMarginsF(Margem, Margem, Margem, Margem), QPageLayout::Millimeter));
        w.setTitle(titulo_);
        w.setCreator(QStringLiteral("KOV"));
        desenhar(w);
    }
    buffer.close();
    return dados;
}

void Relatorio::gravarPdf(const std::string& caminho) const {
    const QByteArray dados = pdf();
    try {
        GravarArquivoSeguro(caminho, std::string(dados.constData(), static_cast<size_t>(dados.size())));
    } catch (const std::exception& e) {
        throw std::runtime_error("Não foi possível gravar o arquivo " + caminho + ": " + e.what());
    }
}

}  // namespace kov::relatorios
