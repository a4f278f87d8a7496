#include "ui/QuadrosFiguras.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QWidget>
#include <cstring>

#include "ui/AncestralDRU.h"
#include "ui/Controles.h"

namespace kov::ui {

namespace {

const char* const NOTA_AUTUACAO = "Valores de autos de infração e de denúncias espontâneas do período.";
const char* const NOTA_AJUSTE = "Ajuste do valor das transferências entre estabelecimentos do mesmo titular.";

// Abas comuns às duas variantes da PRELO; o objeto recebe o nome da variante.
std::vector<QuadroFiguras> comuns() {
    return {
        {"Estoque", "Estoque", SecaoFigura::Estoque, "", {"Inicial (em R$)", "Final (em R$)"},
         {
             {"Tributados", {"INITRIBUTADOS", "FIMTRIBUTADOS"}},
             {"Sujeitos à Substituição Tributária", {"INISST", "FIMSST"}},
             {"Isentos/Não incidência", {"INIISENTO", "FIMISENTO"}},
             {"Outros", {"INIOUTROS", "FIMOUTROS"}},
             {"Total", {"calcIniTotal", "calcFimTotal"}},
         }},
        {"DO", "DRO - Despesas Operacionais", SecaoFigura::Despesas, "Despesas Operacionais", {"Valor (em R$)"},
         {
             {"Pró-Labore", {"PROLABORE"}},
             {"Salários / Comissões", {"SALARIOSCOMISSOES"}},
             {"Encargos Sociais", {"ENCARGOSSOCIAIS"}},
             {"Serviços Profissionais", {"SERVICOSPROF"}},
             {"Propaganda / Publicidade", {"PROPAGANDAPUB"}},
             {"Tributos / Taxas", {"TRIBUTOSTAXAS"}},
             {"Aluguéis / Condomínios", {"ALUGUELCOND"}},
             {"Água, Luz e Telefone", {"AGUALUZTEL"}},
             {"Fretes / Carretos", {"FRETECARRETO"}},
             {"Combustíveis e Lubrificantes", {"COMBUSTIVEL"}},
             {"Seguros", {"SEGURO"}},
             {"Despesas Financeiras", {"DESPESAFINACEIRA"}},
             {"Despesas Gerais", {"DESPESAGERAIS"}},
             {"Outras", {"OUTRAS"}},
             {"Total", {"calcTotal"}},
         }},
        {"DRO", "DRO - Despesas Operacionais", SecaoFigura::Resultado, "Demonstração do Resultado Operacional",
         {"Valor (em R$)"},
         {
             {"Receita Bruta", {"RECEITABRUTA"}},
             {"Devoluções / Abatimentos", {"DEVOLUCAOABATIMENTO"}},
             {"Impostos", {"IMPOSTO"}},
             {"Receita Líquida", {"calcReceitaLiquida"}},
             {"CMS, CPS ou CSP", {"CMSCPSCSP"}},
             {"Lucro ou Prejuizo Bruto", {"calcLucroPrejuizo"}},
             {"Despesas Operacionais", {"DESPESAOPERACIONAL"}},
             {"Outras Receitas Operacionais", {"OUTRASRECEITASOPERACIONAIS"}},
             {"Outras Despesas Operacionais", {"OUTRASDESPESASOPERACIONAIS"}},
             {"Correção Monetária Dem. Financeira", {"CORRECAOMONETARIA"}},
             {"Lucro ou Prejuizo Operacional", {"calcLucroPrejuizoOperacional"}},
         }},
    };
}

}  // namespace

std::vector<QuadroFiguras> QuadrosPrelo(bool debitoCredito) {
    std::vector<QuadroFiguras> q = comuns();
    if (debitoCredito) {
        q.push_back({"Entrada", "Entrada", SecaoFigura::Entrada, "Totais das entradas", {"Valor (em R$)"},
                     {
                         {"Valor Contábil", {"VCTOTAL"}, nullptr, true},
                         {"Base de Cálculo", {"BCTOTAL"}, nullptr, true},
                         {"ICMS", {"ICMSTOTAL"}, nullptr, true},
                         {"Operações sem Crédito de ICMS", {"OPSEMICMSTOTAL"}, nullptr, true},
                         {"Autuações Fiscais/Denúncias Espontâneas", {"AUTUACAODENUNCIA"}, NOTA_AUTUACAO},
                         {"Ajuste de Transferências", {"AJUSTETRANSFERENCIA"}, NOTA_AJUSTE},
                     }});
        q.push_back({"Saida", "Saida", SecaoFigura::Saida, "Totais das saídas", {"Valor (em R$)"},
                     {
                         {"Valor Contábil", {"VCTOTAL"}, nullptr, true},
                         {"Base de Cálculo", {"BCTOTAL"}, nullptr, true},
                         {"ICMS", {"ICMSTOTAL"}, nullptr, true},
                         {"Operações sem Débito de ICMS", {"OPSEMICMSTOTAL"}, nullptr, true},
                         {"Autuações Fiscais/Denúncias Espontâneas", {"AUTUACAODENUNCIA"}, NOTA_AUTUACAO},
                         {"Cooperativas", {"COOPERATIVA"}, "Saídas de produtos para cooperativas de produtores."},
                         {"Ajuste de Transferências", {"AJUSTETRANSFERENCIA"}, NOTA_AJUSTE},
                     }});
    } else {
        q.push_back({"Entrada", "Entrada", SecaoFigura::Entrada, "", {"Valor (em R$)"},
                     {
                         {"Entradas Simplificadas", {"VCTOTALSIMPLES"}},
                         {"Do Estado", {"VCESTADO"}},
                         {"De outros Estados", {"VCOUTROS"}},
                         {"Do Exterior", {"VCEXTERIOR"}},
                         {"Produtos Agropecuários", {"PRODUTOSAGROP"},
                          "Aquisições de produtos agropecuários e hortifrutigranjeiros incluídas nas entradas."},
                         {"Autuações Fiscais/Denúncias Espontâneas", {"AUTUACAODENUNCIA"}, NOTA_AUTUACAO},
                     }});
        q.push_back({"Saida", "Saida", SecaoFigura::Saida, "", {"Valor (em R$)"},
                     {
                         {"Saídas Simplificadas", {"VCTOTALSIMPLES"}},
                         {"Para o Estado", {"VCESTADO"}},
                         {"Para outros Estados", {"VCOUTROS"}},
                         {"Para o Exterior", {"VCEXTERIOR"}},
                         {"Transporte Tomado", {"TRANSPORTETOMADO"}, "Serviços de transporte tomados no período."},
                         {"Autuações Fiscais/Denúncias Espontâneas", {"AUTUACAODENUNCIA"}, NOTA_AUTUACAO},
                     }});
    }
    return q;
}

std::vector<QuadroFiguras> QuadrosKOV() {
    return {
        {"tbsKovExclusoes", "Exclusões KOV", SecaoFigura::Exclusoes, "", {"Entradas", "Saídas"},
         {
             {"Parcela do ICMS retido por Substituição Tributária", {"ENTICMSST", "SAIICMSST"}},
             {"Parcela de IPI que não integre a base de cálculo do ICMS", {"ENTIPI", "SAIIPI"}},
             {"Energia Elétrica/Comunicação", {"ENTENERGIAELETRICACOMUNICACAO", nullptr}},
             {"Transportes (parcela não utilizada)", {"ENTTRANSPORTE", nullptr}},
             {"Subcontratação de Serviços de Transportes", {"ENTSUBCONTRATACAOTRANSPORTE", nullptr}},
             {"Transp. iniciados outros países/UF/municipal/Aéreo Passageiro", {nullptr, "SAITRANPORTESINICIADOOUTRA"}},
             {"Ativo Imobilizado", {"ENTATIVOIMOBILIZADO", "SAIATIVOIMOBILIZADO"}},
             {"Material de Uso e Consumo", {"ENTMATERIALUSO", "SAIMATERIALUSO"}},
             {"Outras", {"ENTOUTRAS", "SAIOUTRAS"}},
             {"Ajuste", {"ENTAJUSTETRANSFERENCIA", "SAIAJUSTETRANSFERENCIA"}},
             {"Total das Exclusões", {"calcEntTotal", "calcSaiTotal"}},
         }},
        {"tbsKovKov", "KOV", SecaoFigura::Kov, "", {"Valor (em R$)"},
         {
             {"Saídas", {"SAIDAS"}},
             {"Entradas", {"ENTRADAS"}},
             {"Outras Entradas", {"OUTRASENTRADAS"}},
             {"Total das Entradas", {"calcTotalEntradas"}},
             {"KOV", {"calcTotalKOV"}},
         }},
    };
}

void TravarFigura(CampoValor* campo, bool travada) {
    DefinirSomenteLeitura(campo, travada);
    QPalette p = campo->palette();
    p.setColor(QPalette::Base, QApplication::palette().color(travada ? QPalette::Button : QPalette::Base));
    campo->setPalette(p);
    campo->setFocusPolicy(travada ? Qt::NoFocus : Qt::StrongFocus);
}

QGridLayout* MontarQuadro(const QuadroFiguras& q, QWidget* aba) {
    auto* g = new QGridLayout(aba);
    g->setHorizontalSpacing(12);
    g->setVerticalSpacing(5);
    g->setContentsMargins(14, 10, 14, 10);
    int linha = 0;
    if (*q.cabecalho) {
        auto* c = new QLabel(QString::fromUtf8(q.cabecalho), aba);
        QFont f = c->font();
        f.setBold(true);
        c->setFont(f);
        g->addWidget(c, linha++, 0, 1, 3);
    }
    int colunas = 0;
    for (int i = 0; i < 2; ++i)
        if (q.colunas[i]) {
            auto* t = new QLabel(QString::fromUtf8(q.colunas[i]), aba);
            QFont f = t->font();
            f.setBold(true);
            t->setFont(f);
            g->addWidget(t, linha, 1 + i, Qt::AlignRight | Qt::AlignBottom);
            colunas = i + 1;
        }
    for (const auto& l : q.linhas)
        for (int i = 0; i < 2; ++i)
            if (l.campos[i]) colunas = std::max(colunas, i + 1);
    ++linha;
    const QString fonte = QString::fromLatin1(NomeSecao(q.secao));
    for (const LinhaFigura& l : q.linhas) {
        auto* rotulo = new QLabel(QString::fromUtf8(l.rotulo), aba);
        g->addWidget(rotulo, linha, 0);
        for (int i = 0; i < 2; ++i) {
            if (!l.campos[i]) continue;
            auto* e = new CampoValor(aba);
            e->setObjectName(QString::fromLatin1(l.campos[i]));
            e->setFixedWidth(150);
            const bool calculado = std::strncmp(l.campos[i], "calc", 4) == 0;
            LigarCampoDe(e, NomeSecao(q.secao), l.campos[i], calculado || l.total);
            e->setProperty(PropriedadeFonte, fonte);
            e->definirAceitaSinal(std::strcmp(l.campos[i], "CORRECAOMONETARIA") == 0);
            if (calculado || l.total) {
                e->setReadOnly(true);
                TravarFigura(e, true);
                QFont f = e->font();
                f.setBold(calculado);
                e->setFont(f);
            }
            if (i == 0 && !rotulo->buddy()) rotulo->setBuddy(e);
            g->addWidget(e, linha, 1 + i);
        }
        ++linha;
        if (l.nota) {
            auto* n = new QLabel(QString::fromUtf8(l.nota), aba);
            n->setObjectName(QStringLiteral("nota"));
            n->setWordWrap(true);
            QFont f = n->font();
            f.setItalic(true);
            f.setPointSizeF(f.pointSizeF() * 0.9);
            n->setFont(f);
            n->setStyleSheet(QStringLiteral("color: #505050;"));
            g->addWidget(n, linha++, 0, 1, 2 + colunas);
        }
    }
    g->setColumnStretch(0, 0);
    g->setColumnStretch(1 + colunas, 1);
    g->setRowStretch(linha, 1);
    return g;
}

}  // namespace kov::ui
