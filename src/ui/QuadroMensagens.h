#pragma once
// Quadro de avisos da janela principal, lido do arquivo Msgs.dat da pasta do programa.
// Cada linha não vazia é um aviso: o primeiro caractere diz o estado ("1" ativo, qualquer
// outro inativo) e o resto da linha é o texto. Os avisos são postos um abaixo do outro,
// abaixo da figura do cabeçalho, enquanto o topo de cada um ficar a pelo menos 200 pixels
// do fim da janela.
#include <QLabel>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>
#include <vector>

namespace kov::ui {

struct AvisoQuadro {
    bool ativo = false;
    QString texto;
};

// Avisos do arquivo, na ordem; arquivo ausente ou ilegível dá lista vazia.
std::vector<AvisoQuadro> LerAvisos(const QString& arquivo);

// Medidas de que a disposição depende, em coordenadas da janela principal.
struct MedidasQuadro {
    int esquerdaMargem = 0;  // borda esquerda da faixa de margem
    int baseCabecalho = 0;   // borda de baixo da figura do cabeçalho
    QSize icone;             // tamanho da figura de um aviso
    int larguraJanela = 0;
    int alturaJanela = 0;
    int alturaLinha = 0;     // altura de uma linha de texto na fonte dos avisos
};

// Distâncias da disposição, em pixels.
namespace Quadro {
inline constexpr int DistanciaCabecalho = 20;  // do cabeçalho ao primeiro aviso
inline constexpr int RecuoIcone = 8;           // da faixa de margem ao ícone
inline constexpr int DistanciaTexto = 18;      // do ícone ao texto
inline constexpr int MargemDireita = 50;       // do fim do texto à borda direita da janela
inline constexpr int ReservaInferior = 200;    // o topo de um aviso fica acima de altura - 200
inline constexpr int AlturaPorLinha = 28;      // altura da caixa de texto por linha
inline constexpr int EspacoEntreAvisos = 20;
}  // namespace Quadro

struct AvisoPosicionado {
    int indice = 0;  // posição do aviso na lista
    QRect icone;
    QRect texto;
    int linhas = 1;
};

// Dispõe os avisos cujos textos medem (numa só linha, em pixels) 'largurasTexto'.
// Para no primeiro aviso cujo topo ficaria a menos de 200 pixels do fim da janela: ele e
// todos os seguintes ficam de fora, mesmo os mais curtos.
std::vector<AvisoPosicionado> DisporAvisos(const std::vector<int>& largurasTexto, const MedidasQuadro& m);

// Um aviso do quadro: o ícone e o texto.
class TDRUMensagem : public QObject {
    Q_OBJECT
public:
    TDRUMensagem(const AvisoQuadro& aviso, const QPixmap& figura, const QFont& fonte, QWidget* quadro);
    bool ativo() const { return ativo_; }
    QString texto() const { return rotulo_->text(); }
    QLabel* icone() const { return icone_; }
    QLabel* rotulo() const { return rotulo_; }
    int larguraTexto() const;  // o texto medido numa só linha
    bool exibido() const { return !rotulo_->isHidden(); }

private:
    bool ativo_;
    QLabel* icone_;
    QLabel* rotulo_;
};

// Área da janela principal com a faixa de margem, a figura do cabeçalho e os avisos.
class QuadroMensagens : public QWidget {
    Q_OBJECT
public:
    explicit QuadroMensagens(QWidget* pai = nullptr);

    static constexpr int LarguraFaixa = 4;

    void definirCabecalho(const QPixmap& figura);
    int alturaCabecalho() const;
    // Rótulos postos sobre o quadro: a faixa de versão de teste no cabeçalho e o relógio
    // no canto de baixo.
    void definirRotulos(QLabel* faixaTeste, QLabel* relogio);

    // Cria os avisos com as figuras de aviso ativo e inativo e os dispõe.
    void montar(const std::vector<AvisoQuadro>& avisos, const QPixmap& figuraAtivo, const QPixmap& figuraInativo);
    const std::vector<TDRUMensagem*>& mensagens() const { return mensagens_; }
    int exibidos() const;
    // Fonte dos avisos (Arial), em negrito para os ativos e itálico para os inativos.
    static QFont fonteAviso(bool ativo);

    // Refaz a disposição com o tamanho atual da janela.
    void dispor();
    MedidasQuadro medidas() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    void posicionarRotulos();

    QPixmap cabecalho_;
    QLabel* faixaTeste_ = nullptr;
    QLabel* relogio_ = nullptr;
    std::vector<TDRUMensagem*> mensagens_;
    QSize icone_;
};

}  // namespace kov::ui
