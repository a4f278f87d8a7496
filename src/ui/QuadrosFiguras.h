#pragma once
// As figuras das páginas PRELO e KOV do editor da declaração dispostas em tabelas: cada
// quadro é uma aba (objeto, título, seção) com as suas linhas (rótulo e o campo de cada
// coluna). Mudar um campo de lugar é mudar uma linha daqui; a montagem cria os campos,
// ligados à seção pelo nome, na ordem das linhas.
#include <QString>
#include <vector>

#include "data/RegrasFiguras.h"

class QGridLayout;
class QWidget;

namespace kov::ui {

class CampoValor;

struct LinhaFigura {
    const char* rotulo;
    const char* campos[2];        // o campo de cada coluna; nulo deixa a célula vazia
    const char* nota = nullptr;   // explicação curta mostrada sob a linha
    bool total = false;           // figura só mostrada (total refeito pelo programa)
};

struct QuadroFiguras {
    const char* objeto;      // nome da aba: "tbsPreloSimplesEstoque"...
    const char* titulo;      // título da aba
    SecaoFigura secao;
    const char* cabecalho;   // título sobre o quadro ("" sem título)
    const char* colunas[2];  // títulos das colunas de valores (nulo: sem título)
    std::vector<LinhaFigura> linhas;
};

// As abas da PRELO na ordem (estoque, despesas, resultado, entrada, saída), para a variante
// simplificada ("Simples") ou a de débito/crédito ("DebCred"): os objetos levam o nome da
// variante.
std::vector<QuadroFiguras> QuadrosPrelo(bool debitoCredito);
// As abas "Exclusões KOV" e "KOV".
std::vector<QuadroFiguras> QuadrosKOV();

// Monta o quadro numa grade dentro de 'aba': rótulos à esquerda, os campos nas colunas.
// Campos calculados (calc...) e totais ficam só mostrados (tag 30).
QGridLayout* MontarQuadro(const QuadroFiguras& q, QWidget* aba);

// Campo somente leitura das figuras: cor de botão e fora da ordem do Tab; ou o contrário.
void TravarFigura(CampoValor* campo, bool travada);

}  // namespace kov::ui
