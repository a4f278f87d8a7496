#pragma once
// Motor de relatórios impressos: páginas A4 retrato com margens de 10 mm, medidas em
// milímetros a partir do canto da área útil (190 x 277 mm). Um relatório é montado por
// bandas — título (uma vez, no alto da primeira página), cabeçalho de página (repetido em
// toda página), cabeçalho de grupo, detalhe e rodapé de página — e paginado na montagem:
// uma banda que não cabe no que resta da página vai inteira para a página seguinte.
// Depois de montado, o mesmo relatório é desenhado em PDF, na impressora ou na
// pré-visualização, sempre pelo mesmo código.
#include <QDateTime>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/Dinheiro.h"

class QPainter;
class QPagedPaintDevice;
class QPrinter;

namespace kov::relatorios {

// Área útil da página A4 retrato com margens de 10 mm.
inline constexpr double LarguraUtil = 190.0;
inline constexpr double AlturaUtil = 277.0;
inline constexpr double Margem = 10.0;

struct Fonte {
    double pontos = 9;
    bool negrito = false;
    bool mono = false;  // largura fixa: colunas alinhadas por brancos
    bool italico = false;
};
inline Fonte Negrito(double pontos = 9) { return Fonte{pontos, true}; }
inline Fonte Mono(double pontos = 9) { return Fonte{pontos, false, true}; }

enum class Alinhamento { Esquerda, Centro, Direita };

// "#,##0": milhar com ".", sem decimais.
QString Valor(const Dinheiro& d);
// Número sem máscara, como o texto simples de um número: "1234", "1234,5", "-0,25".
QString NumeroSimples(const Dinheiro& d);

// Elemento desenhado numa banda, com a posição relativa ao topo da banda, em mm.
struct Elemento {
    enum class Tipo { Texto, Linha, Retangulo, Desenho } tipo = Tipo::Texto;
    QRectF area;  // Linha: de topLeft a bottomRight
    QString texto;
    Fonte fonte;
    Alinhamento alinhamento = Alinhamento::Esquerda;
    bool quebraLinhas = false;
    double espessura = 0.2;  // mm, linhas e retângulos
    std::function<void(QPainter&, const QRectF&)> desenho;  // área em unidades do dispositivo
};

class Banda {
public:
    explicit Banda(double altura = 0) : altura_(altura) {}

    // Texto numa linha, cortado na largura. 'altura' 0 usa a altura da linha da fonte.
    Banda& texto(double x, double y, double largura, const QString& t, Fonte f = {},
                 Alinhamento a = Alinhamento::Esquerda, double altura = 0);
    // Valor com a máscara "#,##0", alinhado à direita.
    Banda& valor(double x, double y, double largura, const Dinheiro& d, Fonte f = {});
    // Texto com quebra de linhas na largura; a banda cresce para contê-lo. Devolve a altura.
    double paragrafo(double x, double y, double largura, const QString& t, Fonte f = {});
    Banda& linha(double x1, double y1, double x2, double y2, double espessura = 0.2);
    Banda& retangulo(const QRectF& r, double espessura = 0.2);
    // Figura desenhada por código na área (em unidades do dispositivo, já convertidas).
    Banda& desenho(const QRectF& r, std::function<void(QPainter&, const QRectF&)> f);

    double altura() const { return altura_; }
    void definirAltura(double a) { altura_ = a; }
    const std::vector<Elemento>& elementos() const { return elementos_; }
    // Todo o texto da banda, na ordem em que foi posto (diagnóstico e testes).
    QString textoCompleto() const;

private:
    void crescerAte(double fundo);
    double altura_;
    std::vector<Elemento> elementos_;
};

// Largura do texto numa linha, em mm.
double LarguraTexto(const QString& t, const Fonte& f);
// Altura de uma linha de texto da fonte, em mm.
double AlturaLinha(const Fonte& f);
// Altura ocupada pelo texto com quebra de linhas na largura dada, em mm.
double AlturaParagrafo(const QString& t, const Fonte& f, double largura);

struct InfoPagina {
    int numero = 1;   // a partir de 1
    int total = 1;    // conhecido só no desenho (rodapé)
};

class Relatorio {
public:
    // 'tituloTrabalho' é o nome do trabalho de impressão e o título do PDF.
    explicit Relatorio(QString tituloTrabalho, QDateTime momento = QDateTime::currentDateTime());

    const QString& tituloTrabalho() const { return titulo_; }
    const QDateTime& momento() const { return momento_; }

    // Cabeçalho de página: chamado na abertura de cada página, na montagem.
    void definirCabecalhoPagina(std::function<Banda(const InfoPagina&)> f) { cabecalho_ = std::move(f); }
    // Rodapé de página: reserva 'altura' mm no pé de toda página; desenhado com o total de
    // páginas já conhecido.
    void definirRodape(double altura, std::function<Banda(const InfoPagina&)> f);

    // Bandas na ordem em que aparecem. O título vai no alto da primeira página, abaixo do
    // cabeçalho de página; os demais seguem o fluxo, quebrando a página quando não cabem.
    void titulo(Banda b);
    void detalhe(Banda b);
    // Cabeçalho de grupo; 'novaPagina' começa o grupo numa página nova (salvo se a página
    // atual ainda não tem nada além do cabeçalho).
    void cabecalhoGrupo(Banda b, bool novaPagina);
    // Texto longo que segue o fluxo das páginas: cada linha (as do próprio texto e as que a
    // largura quebra nas palavras) é uma banda, de modo que o texto continua na página
    // seguinte em vez de ser cortado. Linhas vazias do texto são mantidas.
    void textoCorrido(const QString& t, Fonte f = {}, double x = 0, double largura = LarguraUtil);
    // Termina a página atual; a próxima banda abre outra.
    void quebrarPagina();
    // Banda repetida no alto de cada página aberta daqui em diante pelo fluxo (os títulos das
    // colunas de uma lista que continua na página seguinte), até pararDeRepetir ou o próximo
    // cabeçalho de grupo.
    void repetirNoTopo(Banda b) { repetir_ = std::move(b); }
    void pararDeRepetir() { repetir_.reset(); }

    int paginas() const { return static_cast<int>(paginas_.size()); }
    bool vazio() const { return paginas_.empty(); }
    // Texto das bandas de uma página (0 a paginas()-1), sem o rodapé.
    QString textoDaPagina(int i) const;

    // Desenha as páginas no dispositivo (impressora, PDF, pré-visualização), uma por
    // folha, do tamanho A4 retrato com as margens de 10 mm.
    void desenhar(QPagedPaintDevice& dispositivo) const;
    // Na impressora, só o intervalo de páginas escolhido no diálogo dela. 'progresso' é
    // chamado antes de cada página (número a partir de 1, total); falso cancela o trabalho.
    void desenhar(QPrinter& impressora, const std::function<bool(int, int)>& progresso = {}) const;
    // O PDF inteiro em memória.
    QByteArray pdf() const;
    // Grava o PDF pelo caminho seguro (nome temporário, disco, troca de nome). Lança
    // std::runtime_error com o motivo quando não consegue.
    void gravarPdf(const std::string& caminho) const;

    // Prepara a impressora para o relatório: A4 retrato, margens de 10 mm, nome do trabalho.
    void configurarImpressora(QPrinter& impressora) const;

private:
    struct Colocada {
        double y;
        Banda banda;
    };
    struct Pagina {
        std::vector<Colocada> bandas;
        bool soCabecalho = true;
    };
    void abrirPagina();
    void colocar(Banda b);
    double limiteInferior() const { return AlturaUtil - alturaRodape_; }
    void desenharPagina(QPainter& p, double escala, int i) const;

    QString titulo_;
    QDateTime momento_;
    std::function<Banda(const InfoPagina&)> cabecalho_;
    std::function<Banda(const InfoPagina&)> rodape_;
    double alturaRodape_ = 0;
    std::vector<Pagina> paginas_;
    double y_ = 0;
    bool aberta_ = false;
    std::optional<Banda> repetir_;
};

}  // namespace kov::relatorios
