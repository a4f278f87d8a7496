#include "reports/Formularios.h"

#include <algorithm>
#include <array>

#include "data/Figuras.h"
#include "data/untUtils.h"
#include "reports/pdrReport.h"

namespace kov::relatorios {

namespace {

constexpr double Passo = 4.6;  // distância entre linhas de 9 pontos
const Fonte Normal{};
const Fonte Rotulo = Negrito(9);
const Fonte TituloBloco = Negrito(10);

QString q(const std::string& s) { return QString::fromStdString(s); }
QString q(const char* s) { return QString::fromUtf8(s); }
QString ano(const Documento& doc) { return doc.PERIODO ? QString::number(*doc.PERIODO) : QString(); }
QString dataTexto(const std::optional<fb::Data>& d) {
    if (!d) return {};
    return QStringLiteral("%1/%2/%3")
        .arg(static_cast<unsigned>(d->day()), 2, 10, QLatin1Char('0'))
        .arg(static_cast<unsigned>(d->month()), 2, 10, QLatin1Char('0'))
        .arg(static_cast<int>(d->year()), 4, 10, QLatin1Char('0'));
}
QString doisDigitos(std::optional<int> n) { return QStringLiteral("%1").arg(n.value_or(0), 2, 10, QLatin1Char('0')); }

// Brancos à direita até 'n' caracteres (sem cortar), e à esquerda.
QString completarDireita(const QString& s, int n) { return s.size() >= n ? s : s + QString(n - s.size(), QLatin1Char(' ')); }
QString completarEsquerda(const QString& s, int n) { return s.size() >= n ? s : QString(n - s.size(), QLatin1Char(' ')) + s; }

// Monta uma banda linha a linha: rótulos em negrito seguidos dos seus valores.
class Bloco {
public:
    Banda b;
    double y = 0;

    // Título de bloco sublinhado, em toda a largura.
    void titulo(const QString& t, Alinhamento a = Alinhamento::Esquerda) {
        b.texto(0, y, LarguraUtil, t, TituloBloco, a);
        y += AlturaLinha(TituloBloco) + 0.3;
        b.linha(0, y, LarguraUtil, y, 0.3);
        y += 1.2;
    }
    // Uma sequência de pares rótulo/valor na mesma linha, a partir de x; devolve o x seguinte.
    double campo(double x, const QString& rotulo, const QString& valor, double largura) {
        const double w = LarguraTexto(rotulo, Rotulo) + 1.5;
        b.texto(x, y, w, rotulo, Rotulo);
        b.texto(x + w, y, largura, valor, Normal);
        return x + w + largura + 3;
    }
    void rotulo(double x, double largura, const QString& t, Alinhamento a = Alinhamento::Esquerda) {
        b.texto(x, y, largura, t, Rotulo, a);
    }
    void texto(double x, double largura, const QString& t, Fonte f = Normal, Alinhamento a = Alinhamento::Esquerda) {
        b.texto(x, y, largura, t, f, a);
    }
    void valor(double x, double largura, const Dinheiro& d) { b.valor(x, y, largura, d, Normal); }
    void valor(double x, double largura, const Quantia& d) { b.valor(x, y, largura, v(d), Normal); }
    void proxima(double dy = Passo) { y += dy; }
    void traco(double espessura = 0.2) {
        b.linha(0, y, LarguraUtil, y, espessura);
        y += 1;
    }
    Banda fechar(double folga = 2) {
        b.definirAltura(y + folga);
        return std::move(b);
    }
};

// "Contribuinte:" inscrição " - " razão social; "Município:" nome.
Banda BandaContribuinte(const DadosImpressao& dd, const std::string& municipio) {
    Bloco k;
    k.campo(0, QStringLiteral("Contribuinte:"),
            q(dd.contribuinte.INSCESTADUAL) + QStringLiteral(" - ") + q(dd.contribuinte.RAZAOSOCIAL), 160);
    k.proxima();
    k.campo(0, QStringLiteral("Município:"), q(municipio), 160);
    k.proxima();
    return k.fechar(3);
}

Relatorio NovoFormulario(const QString& job, const QString& titulo, const Documento& doc, const QDateTime& momento) {
    Relatorio r(job, momento);
    const QString a = ano(doc);
    CabecalhoFormulario(r, titulo, [a] { return a; });
    RodapeFormulario(r);
    return r;
}

// --- Entradas e saídas ---------------------------------------------------------------

struct LinhaES {
    const char* entradas;
    const char* saidas;
    Quantia DetalhamentoES::*VC;
    Quantia DetalhamentoES::*BC;
    Quantia DetalhamentoES::*ICMS;
    Quantia DetalhamentoES::*OPS;
};
#define KOV_LINHA_ES(CAT) &DetalhamentoES::VC##CAT, &DetalhamentoES::BC##CAT, &DetalhamentoES::ICMS##CAT, &DetalhamentoES::OPSICMS##CAT
const std::array<LinhaES, 8> LinhasES = {{
    {"Compras", "Vendas", KOV_LINHA_ES(COMPRAVENDA)},
    {"Transferências", "Transferências", KOV_LINHA_ES(TRANSFERENCIA)},
    {"Devoluções", "Devoluções", KOV_LINHA_ES(DEVOLUCAO)},
    {"Energia elétrica", "Energia elétrica", KOV_LINHA_ES(ENERGIAELETRICA)},
    {"Comunicações", "Comunicações", KOV_LINHA_ES(COMUNICACAO)},
    {"Transportes", "Transportes", KOV_LINHA_ES(TRANSPORTE)},
    {"Outras", "Outras", KOV_LINHA_ES(OUTRAS)},
    {"Subtotal", "Subtotal", KOV_LINHA_ES(SUBTOTAL)},
}};
#undef KOV_LINHA_ES

struct Totais4 {
    Dinheiro vc, bc, icms, ops;
    void somar(const DetalhamentoES& d) {
        vc += v(d.VCSUBTOTAL);
        bc += v(d.BCSUBTOTAL);
        icms += v(d.ICMSSUBTOTAL);
        ops += v(d.OPSICMSSUBTOTAL);
    }
};

constexpr double XRotuloES = 0, LRotuloES = 54;
constexpr std::array<double, 4> XColES = {54, 88, 122, 156};
constexpr double LColES = 34;

Banda BlocoES(const DadosImpressao& dd, const DetalhamentoES& det, bool entradas, Totais4& totais) {
    const int tipo = det.TIPOOPERACAO_ID;
    const bool exterior = tipo == 3 || tipo == 6;
    Bloco k;
    k.titulo(q(dd.descricaoTipoOperacao(tipo)) + QStringLiteral(" (R$)"));
    const std::array<QString, 4> cab = {QStringLiteral("Valor Contábil"), QStringLiteral("Base de Cálculo"),
                                        QStringLiteral("ICMS"),
                                        entradas ? QStringLiteral("Op.Prest.S/Crédito") : QStringLiteral("Op.Prest.S/Débito")};
    for (size_t i = 0; i < 4; ++i) k.texto(XColES[i], LColES, cab[i], Negrito(8), Alinhamento::Direita);
    k.proxima();
    for (const auto& l : LinhasES) {
        // No bloco do exterior não há transferências: a linha seguinte sobe para o lugar dela
        if (exterior && l.VC == &DetalhamentoES::VCTRANSFERENCIA) continue;
        const bool subtotal = l.VC == &DetalhamentoES::VCSUBTOTAL;
        k.texto(XRotuloES, LRotuloES, q(entradas ? l.entradas : l.saidas), subtotal ? Rotulo : Normal);
        k.valor(XColES[0], LColES, det.*l.VC);
        k.valor(XColES[1], LColES, det.*l.BC);
        k.valor(XColES[2], LColES, det.*l.ICMS);
        k.valor(XColES[3], LColES, det.*l.OPS);
        k.proxima();
    }
    // Os subtotais entram nas somas correntes; só o bloco do exterior mostra o total,
    // já com o seu próprio subtotal somado.
    totais.somar(det);
    if (exterior) {
        k.traco();
        k.texto(XRotuloES, LRotuloES, QStringLiteral("Total:"), Rotulo);
        k.valor(XColES[0], LColES, totais.vc);
        k.valor(XColES[1], LColES, totais.bc);
        k.valor(XColES[2], LColES, totais.icms);
        k.valor(XColES[3], LColES, totais.ops);
        k.proxima();
    }
    std::vector<std::pair<QString, Quantia>> extras;
    const Entrada ent = dd.d.entrada.value_or(Entrada{});
    const Saida sai = dd.d.saida.value_or(Saida{});
    switch (tipo) {
    case 1:
        extras = {{QStringLiteral("Produtos agropecuários"), ent.PRODUTOSAGROP},
                  {QStringLiteral("Geração de energia elétrica"), ent.ENERGIAELETRICA}};
        break;
    case 3:
        extras = {{QStringLiteral("Autuações fiscais"), ent.AUTUACAODENUNCIA},
                  {QStringLiteral("Ajuste de transferências"), ent.AJUSTETRANSFERENCIA}};
        break;
    case 4: extras = {{QStringLiteral("Transporte Tomado"), sai.TRANSPORTETOMADO}}; break;
    case 6:
        extras = {{QStringLiteral("Autuações fiscais"), sai.AUTUACAODENUNCIA},
                  {QStringLiteral("Cooperativas"), sai.COOPERATIVA},
                  {QStringLiteral("Ajuste de transferências"), sai.AJUSTETRANSFERENCIA}};
        break;
    default: break;
    }
    if (!extras.empty()) k.proxima(1.5);
    for (const auto& [rotulo, valor] : extras) {
        k.texto(XRotuloES, LRotuloES, rotulo);
        k.valor(XColES[0], LColES, valor);
        k.proxima();
    }
    return k.fechar(5);
}

std::optional<Relatorio> FormularioES(const DadosImpressao& dd, const QDateTime& momento, bool entradas) {
    // Os dados vêm do cabeçalho de impressão, que junta a declaração às seções de entrada e
    // saída e às linhas dos tipos de operação: sem elas, nada a imprimir.
    std::vector<const DetalhamentoES*> blocos;
    for (int t = entradas ? 1 : 4; t <= (entradas ? 3 : 6); ++t)
        if (const DetalhamentoES* det = dd.d.detalhamento(t)) blocos.push_back(det);
    if (blocos.empty() || !dd.d.entrada || !dd.d.saida) return std::nullopt;
    Relatorio r = NovoFormulario(entradas ? QStringLiteral("KOV - Prelo/Entradas") : QStringLiteral("KOV - Prelo/Saídas"),
                                 entradas ? QStringLiteral("PRELO - ENTRADAS") : QStringLiteral("PRELO - SAIDAS"),
                                 dd.d.doc, momento);
    r.titulo(BandaContribuinte(dd, dd.d.DESCRICAO_MUNICIPIO));
    Totais4 totais;
    for (const DetalhamentoES* det : blocos) r.detalhe(BlocoES(dd, *det, entradas, totais));
    return r;
}

// --- Débito/crédito e simplificada ----------------------------------------------------

struct LinhaValor {
    const char* rotulo;
    Quantia valor;
};

// Estoque, com as colunas inicial e final.
Banda BlocoEstoque(const Estoque& e, bool simplificada) {
    Bloco k;
    k.titulo(simplificada ? QStringLiteral("ESTOQUE DE MERCADORIAS E PRODUTOS (R$)")
                          : QStringLiteral("ESTOQUE DE MERCADORIAS E PRODUTOS"));
    k.rotulo(60, 40, simplificada ? QStringLiteral("INICIAL") : QStringLiteral("INICIAL(R$)"), Alinhamento::Direita);
    k.rotulo(105, 40, simplificada ? QStringLiteral("FINAL") : QStringLiteral("FINAL(R$)"), Alinhamento::Direita);
    k.proxima();
    const std::array<std::tuple<const char*, Quantia, Quantia>, 5> linhas = {{
        {"Tributados:", e.INITRIBUTADOS, e.FIMTRIBUTADOS},
        {"Sujeitos a ST:", e.INISST, e.FIMSST},
        {"Isentos/Não incidência:", e.INIISENTO, e.FIMISENTO},
        {"Outros:", e.INIOUTROS, e.FIMOUTROS},
        {"Total:", e.INITOTAL, e.FIMTOTAL},
    }};
    for (const auto& [rotulo, ini, fim] : linhas) {
        k.texto(0, 58, q(rotulo), std::string(rotulo) == "Total:" ? Rotulo : Normal);
        k.valor(60, 40, ini);
        k.valor(105, 40, fim);
        k.proxima();
    }
    return k.fechar(4);
}

// Duas colunas de rótulo e valor; 'semMascara' imprime o número sem a máscara.
void DuasColunas(Bloco& k, const std::vector<LinhaValor>& esquerda, const std::vector<LinhaValor>& direita,
                 bool semMascara = false) {
    const double y0 = k.y;
    auto coluna = [&](const std::vector<LinhaValor>& linhas, double x, double lr) {
        k.y = y0;
        for (const auto& l : linhas) {
            k.texto(x, lr, q(l.rotulo));
            if (semMascara) k.texto(x + lr, 34, NumeroSimples(v(l.valor)), Normal, Alinhamento::Direita);
            else k.valor(x + lr, 34, l.valor);
            k.proxima();
        }
        return k.y;
    };
    const double y1 = coluna(esquerda, 0, 54);
    const double y2 = coluna(direita, 98, 58);
    k.y = std::max(y1, y2);
}

Banda BlocoDespesasOuResultado(const DadosImpressao& dd, bool simplificada) {
    Bloco k;
    if (dd.d.doc.ESCRITACONTABIL != "S") {
        const DespesasOperacionais x = dd.d.despesas.value_or(DespesasOperacionais{});
        k.titulo(QStringLiteral("DESPESAS OPERACIONAIS"));
        DuasColunas(k,
                    {{"Pró-labore:", x.PROLABORE},
                     {"Salários / Comissôes", x.SALARIOSCOMISSOES},
                     {"Encargos Sociais:", x.ENCARGOSSOCIAIS},
                     {"Serviços profissionais:", x.SERVICOSPROF},
                     {"Propaganda / publicidade:", x.PROPAGANDAPUB},
                     {"Tributos / taxas:", x.TRIBUTOSTAXAS},
                     {"Alugueis / condomínios:", x.ALUGUELCOND},
                     {"Água, luz e telefone:", x.AGUALUZTEL}},
                    {{"Fretes e carretos:", x.FRETECARRETO},
                     {"Combustíves e lubrificantes:", x.COMBUSTIVEL},
                     {"Seguros:", x.SEGURO},
                     {"Despesas financeiras:", x.DESPESAFINACEIRA},
                     {"Despesas gerais:", x.DESPESAGERAIS},
                     {"Outras:", x.OUTRAS},
                     {"Total", x.TOTAL}});
    } else {
        const ResultadoOperacional x = dd.d.resultado.value_or(ResultadoOperacional{});
        k.titulo(QStringLiteral("DEMONSTRAÇÃO DO RESULTADO OPERACIONAL (R$)"));
        DuasColunas(k,
                    {{"Receita bruta:", x.RECEITABRUTA},
                     {"Devoluções / abatimentos:", x.DEVOLUCAOABATIMENTO},
                     {"Impostos:", x.IMPOSTO},
                     {"Receita líquida:", x.RECEITALIQUIDA},
                     {"CMS / CPS / CSP:", x.CMSCPSCSP},
                     {"Lucro ou prejuízo bruto:", x.LUCROPREJUIZOBRUTO},
                     {"Despesas operacionais:", x.DESPESAOPERACIONAL},
                     {"Outras receitas operacionais:", x.OUTRASRECEITASOPERACIONAIS}},
                    {{"Outras depesas operacionais:", x.OUTRASDESPESASOPERACIONAIS},
                     {"Cor. Monetária Dem. Financeiras:", x.CORRECAOMONETARIA},
                     {"Lucro ou Prejuízo Operacional:", x.LUCROPREJUIZOOPERACIONAL}},
                    simplificada);
    }
    return k.fechar(4);
}

Banda BlocoResponsavel(const DadosImpressao& dd, bool simplificada) {
    const Responsavel r = dd.responsavel.value_or(Responsavel{});
    Bloco k;
    k.titulo(QStringLiteral("DADOS DO RESPONSÁVEL (PELAS INFORMAÇÕES PRESTADAS)"));
    k.campo(0, QStringLiteral("Nome:"), q(r.NOME), 170);
    k.proxima();
    double x = k.campo(0, simplificada ? QStringLiteral("Telefone") : QStringLiteral("Telefone:"),
                       q(r.DDD) + QLatin1Char(' ') + q(r.TELEFONE), 45);
    k.campo(x, QStringLiteral("E-Mail:"), q(r.EMAIL), 100);
    k.proxima();
    return k.fechar(4);
}

// Linhas 1 a 10 (débito/crédito) ou 1 a 11 (simplificada): identificação, período,
// situação e a entrega da linha.
Banda BlocoIdentificacao(const DadosImpressao& dd, const Entrega* entrega, bool simplificada) {
    const Documento& doc = dd.d.doc;
    const Contribuinte& c = dd.contribuinte;
    const QString uf = QStringLiteral("QZ");
    Bloco k;
    double x = k.campo(0, QStringLiteral("Contribuinte:"), q(c.INSCESTADUAL), 28);
    k.texto(x, LarguraUtil - x, q(c.RAZAOSOCIAL));
    k.proxima();
    k.campo(0, QStringLiteral("Endereço:"), q(c.ENDERECO), 170);
    k.proxima();
    x = k.campo(0, simplificada ? QStringLiteral("Número:") : QStringLiteral("Nº:"), q(c.NUMERO), 22);
    k.campo(x, simplificada ? QStringLiteral("Complemento:") : QStringLiteral("Complemento"), q(c.COMPLEMENTO), 100);
    k.proxima();
    x = k.campo(0, QStringLiteral("Bairro:"), q(c.BAIRRO), 45);
    x = k.campo(x, QStringLiteral("CEP:"), q(c.CEP), 18);
    x = k.campo(x, QStringLiteral("Agência Postal:"), q(c.AGENCIAPOSTAL), 15);
    k.campo(x, QStringLiteral("Caixa Postal:"), q(c.CAIXAPOSTAL), 15);
    k.proxima();
    x = k.campo(0, QStringLiteral("Município:"), q(dd.MUNICIPIO_CONTRIBUINTE), 60);
    x = k.campo(x, QStringLiteral("UF:"), uf, 8);
    k.campo(x, QStringLiteral("Telefone:"), q(c.DDD) + QLatin1Char(' ') + q(c.TELEFONE), 40);
    k.proxima();
    x = k.campo(0, q(LegendaMunicipio(doc)), q(dd.d.DESCRICAO_MUNICIPIO), 50);
    x = k.campo(x, QStringLiteral("UF:"), uf, 8);
    k.campo(x, QStringLiteral("Período:"), q(TextoPeriodo(doc)), 40);
    k.proxima();
    x = k.campo(0, QStringLiteral("Regime:"), q(dd.d.DESCRICAO_TIPOREGIME), 90);
    k.campo(x, QStringLiteral("Tipo:"), q(dd.TITULO_CONTRIBUINTE), 55);
    k.proxima();
    // Situação em duas linhas, na ordem de cada formulário
    auto situacao = [&](bool substituicaoAntes) {
        const QString mudanca = q(LegendaMudanca(dd.ANOEXERCICIO));
        const QString corrente = QStringLiteral("Mudança município ano corrente:");
        const QString subst = QStringLiteral("Substituição:");
        double xs = k.campo(0, mudanca, q(SimNao(doc.MUDANCAMUNICIPIO)), 10);
        if (substituicaoAntes) {
            k.campo(xs, subst, q(SimNao(doc.SUBSTITUICAO)), 10);
            k.proxima();
            xs = k.campo(0, corrente, q(SimNao(doc.MUDANCAMUNICIPIOANOCORRENTE)), 10);
        } else {
            k.campo(xs, corrente, q(SimNao(doc.MUDANCAMUNICIPIOANOCORRENTE)), 10);
            k.proxima();
            xs = k.campo(0, subst, q(SimNao(doc.SUBSTITUICAO)), 10);
        }
        k.campo(xs, QStringLiteral("Baixa ano corrente:"), q(SimNao(doc.BAIXA)), 10);
        k.proxima();
    };
    const QString cnaef = q(doc.CNAEF_ID) + QStringLiteral(" / ") + q(doc.DESMEMBRAMENTO) + QStringLiteral(" - ") +
                          q(dd.d.DESCRICAO_CNAEF);
    if (simplificada) {
        x = k.campo(0, QStringLiteral("Período:"), ano(doc), 12);
        x = k.campo(x, QStringLiteral("Escrita contábil:"), q(SimNao(doc.ESCRITACONTABIL)), 8);
        const int rec = doc.TIPORECOLHIMENTO_ID.value_or(0);
        k.campo(x, QStringLiteral("Apuração:"),
                rec == 1 ? QStringLiteral("Real") : rec == 2 ? QStringLiteral("Presumida") : QString(), 25);
        k.proxima();
        situacao(false);
        k.campo(0, QStringLiteral("CNAEF"), cnaef, 170);
    } else {
        situacao(true);
        k.campo(0, QStringLiteral("CNAE:"), cnaef, 170);
    }
    k.proxima();
    QString quando;
    if (entrega && entrega->DATA) quando = dataTexto(entrega->DATA) + QStringLiteral(" - ") + q(entrega->HORA);
    x = k.campo(0, QStringLiteral("Protocolo:"), entrega ? q(entrega->PROTOCOLO) : QString(), 45);
    k.campo(x, QStringLiteral("Entrega:"), quando, 45);
    k.proxima();
    return k.fechar(4);
}

Banda BlocoSimplificadas(const DadosImpressao& dd) {
    const Entrada e = dd.d.entrada.value_or(Entrada{});
    const Saida s = dd.d.saida.value_or(Saida{});
    Bloco k;
    const double y0 = k.y;
    auto coluna = [&](double x, const char* titulo, const char* rotuloTotal, const Quantia& total,
                      const char* distribuicao, const std::array<Quantia, 3>& partes,
                      const std::vector<LinhaValor>& finais) {
        k.y = y0;
        k.b.texto(x, k.y, 90, q(titulo), TituloBloco);
        k.proxima(AlturaLinha(TituloBloco) + 0.3);
        k.b.linha(x, k.y, x + 90, k.y, 0.3);
        k.proxima(1.2);
        k.texto(x, 54, q(rotuloTotal), Rotulo);
        k.valor(x + 54, 34, total);
        k.proxima();
        k.texto(x, 90, q(distribuicao), Fonte{9, false, false, true});
        k.proxima();
        const std::array<const char*, 3> origem = {"Do estado:", "De outros estados:", "Do exterior:"};
        for (size_t i = 0; i < 3; ++i) {
            k.texto(x + 4, 50, q(origem[i]));
            k.valor(x + 54, 34, partes[i]);
            k.proxima();
        }
        for (const auto& l : finais) {
            k.texto(x, 54, q(l.rotulo));
            k.valor(x + 54, 34, l.valor);
            k.proxima();
        }
        return k.y;
    };
    const double y1 = coluna(0, "ENTRADAS SIMPLIFICADAS", "Total de entradas:", e.VCTOTALSIMPLES,
                             "Distribuição dos valores de entrada", {e.VCESTADO, e.VCOUTROS, e.VCEXTERIOR},
                             {{"Produtos agropecuários:", e.PRODUTOSAGROP}, {"Autuações fiscais:", e.AUTUACAODENUNCIA}});
    const double y2 = coluna(100, "SAÍDAS SIMPLIFICADAS", "Total de saídas:", s.VCTOTALSIMPLES,
                             "Distribuição dos valores de saída", {s.VCESTADO, s.VCOUTROS, s.VCEXTERIOR},
                             {{"Transporte tomado:", s.TRANSPORTETOMADO}, {"Autuações fiscais:", s.AUTUACAODENUNCIA}});
    k.y = std::max(y1, y2);
    return k.fechar(4);
}

// "Mudança município:" com o total e a lista dos municípios de mudança (valores sem máscara).
std::vector<Banda> BlocoMudancaSimplificada(const DadosImpressao& dd) {
    Dinheiro total;
    std::vector<QString> linhas;
    if (dd.d.doc.MUDANCAMUNICIPIO == "S")
        for (const auto& l : dd.d.detalhamentoEntrada) {
            if (l.MUDANCAMUNICIPIO != "S") continue;
            linhas.push_back(completarDireita(q(dd.nomeMunicipio(l.CODDRUMUNICIPIO)), 20) +
                             completarEsquerda(NumeroSimples(v(l.VALOR)), 10));
            total += v(l.VALOR);
        }
    std::vector<Banda> bandas;
    Bloco k;
    k.campo(0, QStringLiteral("Mudança município:"), NumeroSimples(total), 40);
    k.proxima();
    bandas.push_back(k.fechar(1));
    for (const auto& t : linhas) {
        Banda b;
        b.texto(4, 0, 180, t, Mono(9));
        b.definirAltura(Passo);
        bandas.push_back(std::move(b));
    }
    return bandas;
}

std::optional<Relatorio> FormularioCompleto(const DadosImpressao& dd, const QDateTime& momento, bool simplificada) {
    // A simplificada junta a declaração ao estoque e às seções de entrada e saída: sem
    // elas, a consulta não traz linha e nada é impresso.
    if (simplificada && (!dd.d.estoque || !dd.d.entrada || !dd.d.saida)) return std::nullopt;
    Relatorio r = NovoFormulario(simplificada ? QStringLiteral("KOV - Prelo simplificada")
                                              : QStringLiteral("KOV - Prelo Débito&Crédito"),
                                 simplificada ? QStringLiteral("PRELO SIMPLIFICADA") : QStringLiteral("PRELO COMPLETA"),
                                 dd.d.doc, momento);
    // Uma página por linha de entrega (cada uma com o seu protocolo); sem entregas, uma.
    std::vector<const Entrega*> linhas;
    for (const auto& e : dd.entregas) linhas.push_back(&e);
    if (linhas.empty()) linhas.push_back(nullptr);
    const Estoque estoque = dd.d.estoque.value_or(Estoque{});
    for (const Entrega* e : linhas) {
        r.cabecalhoGrupo(BlocoIdentificacao(dd, e, simplificada), true);
        r.detalhe(BlocoResponsavel(dd, simplificada));
        r.detalhe(BlocoEstoque(estoque, simplificada));
        r.detalhe(BlocoDespesasOuResultado(dd, simplificada));
        if (simplificada) {
            r.detalhe(BlocoSimplificadas(dd));
            for (auto& b : BlocoMudancaSimplificada(dd)) r.detalhe(std::move(b));
        }
    }
    return r;
}

// --- KOV ------------------------------------------------------------------------------

constexpr double XEntKov = 112, XSaiKov = 152, LColKov = 38, LRotKov = 110;

void LinhaKov(Bloco& k, const QString& rotulo, const std::optional<Dinheiro>& ent, const std::optional<Dinheiro>& sai,
              Fonte f = Normal) {
    k.texto(0, LRotKov, rotulo, f);
    if (ent) k.valor(XEntKov, LColKov, *ent);
    if (sai) k.valor(XSaiKov, LColKov, *sai);
    k.proxima();
}

Banda BlocoExclusoes(const ExclusoesKov& x) {
    Bloco k;
    k.titulo(QStringLiteral("EXCLUSÕES"));
    k.rotulo(XEntKov, LColKov, QStringLiteral("ENTRADAS (R$)"), Alinhamento::Direita);
    k.rotulo(XSaiKov, LColKov, QStringLiteral("SAÍDAS (R$)"), Alinhamento::Direita);
    k.proxima();
    const std::optional<Dinheiro> nada;
    LinhaKov(k, QStringLiteral("Parcela ICMS retida por substituição tributária:"), v(x.ENTICMSST), v(x.SAIICMSST));
    LinhaKov(k, QStringLiteral("Parcela IPI que não integre base de cálculo ICMS:"), v(x.ENTIPI), v(x.SAIIPI));
    LinhaKov(k, QStringLiteral("Energia elétrica/comunicação:"), v(x.ENTENERGIAELETRICACOMUNICACAO), nada);
    LinhaKov(k, QStringLiteral("Transportes (parcela não utilizada):"), v(x.ENTTRANSPORTE), nada);
    LinhaKov(k, QStringLiteral("Subcontratação de serviços de transporte:"), v(x.ENTSUBCONTRATACAOTRANSPORTE), nada);
    LinhaKov(k, QStringLiteral("Transp. iniciados outros países / UF / municipal / Aéreo Passageiro:"), nada,
             v(x.SAITRANPORTESINICIADOOUTRA));
    LinhaKov(k, QStringLiteral("Ativo imobilizado:"), v(x.ENTATIVOIMOBILIZADO), v(x.SAIATIVOIMOBILIZADO));
    LinhaKov(k, QStringLiteral("Material de uso e consumo:"), v(x.ENTMATERIALUSO), v(x.SAIMATERIALUSO));
    LinhaKov(k, QStringLiteral("Outras:"), v(x.ENTOUTRAS), v(x.SAIOUTRAS));
    LinhaKov(k, QStringLiteral("Ajustes:"), v(x.ENTAJUSTETRANSFERENCIA), v(x.SAIAJUSTETRANSFERENCIA));
    LinhaKov(k, QStringLiteral("Total:"), v(x.ENTTOTAL), v(x.SAITOTAL), Rotulo);
    return k.fechar(4);
}

Banda BlocoKov(const Kov& kv) {
    Bloco k;
    k.titulo(QStringLiteral(" KOV "));
    LinhaKov(k, QStringLiteral("Saídas:"), v(kv.SAIDAS), std::nullopt);
    LinhaKov(k, QStringLiteral("Entradas:"), v(kv.ENTRADAS), std::nullopt);
    LinhaKov(k, QStringLiteral("Outras entradas:"), v(kv.OUTRASENTRADAS), std::nullopt);
    LinhaKov(k, QStringLiteral("KOV"), v(kv.TOTALKOV), std::nullopt, Rotulo);
    return k.fechar(4);
}

// Somas das categorias do detalhamento numa direção (tipos 1 a 3 ou 4 a 6).
struct SomasOperacoes {
    Dinheiro compra, transferencia, devolucao, energia, comunicacao, transporte, outras;
    Dinheiro total() const { return compra + devolucao + energia + comunicacao + outras + transporte + transferencia; }
};
SomasOperacoes SomarOperacoes(const Declaracao& d, bool entradas) {
    SomasOperacoes s;
    for (const auto& l : d.detalhamentoES) {
        if ((l.TIPOOPERACAO_ID <= 3) != entradas) continue;
        s.compra += v(l.VCCOMPRAVENDA);
        s.transferencia += v(l.VCTRANSFERENCIA);
        s.devolucao += v(l.VCDEVOLUCAO);
        s.energia += v(l.VCENERGIAELETRICA);
        s.comunicacao += v(l.VCCOMUNICACAO);
        s.transporte += v(l.VCTRANSPORTE);
        s.outras += v(l.VCOUTRAS);
    }
    return s;
}

Banda BlocoTotalOperacoes(const DadosImpressao& dd) {
    const SomasOperacoes e = SomarOperacoes(dd.d, true), s = SomarOperacoes(dd.d, false);
    Bloco k;
    k.titulo(QStringLiteral("Total Operações"));
    k.rotulo(XEntKov, LColKov, QStringLiteral("ENTRADAS"), Alinhamento::Direita);
    k.rotulo(XSaiKov, LColKov, QStringLiteral("SAIDAS"), Alinhamento::Direita);
    k.proxima();
    LinhaKov(k, QStringLiteral("Compras/Vendas:"), e.compra, s.compra);
    LinhaKov(k, QStringLiteral("Transferências:"), e.transferencia, s.transferencia);
    LinhaKov(k, QStringLiteral("Devolução:"), e.devolucao, s.devolucao);
    LinhaKov(k, QStringLiteral("Energia Elétrica + Comunicação:"), e.energia + e.comunicacao,
             s.energia + s.comunicacao);
    LinhaKov(k, QStringLiteral("Transporte:"), e.transporte, s.transporte);
    LinhaKov(k, QStringLiteral("Outros:"), e.outras, s.outras);
    LinhaKov(k, QStringLiteral("Total:"), e.total(), s.total(), Rotulo);
    k.proxima(2);
    // Valores da entrada e da saída; seção ausente vale 0.
    const Entrada en = dd.d.entrada.value_or(Entrada{});
    const Saida sa = dd.d.saida.value_or(Saida{});
    const std::optional<Dinheiro> nada;
    LinhaKov(k, QStringLiteral("Autuações Fiscais:"), v(en.AUTUACAODENUNCIA), v(sa.AUTUACAODENUNCIA));
    LinhaKov(k, QStringLiteral("Ajuste de transferência:"), v(en.AJUSTETRANSFERENCIA), v(sa.AJUSTETRANSFERENCIA));
    LinhaKov(k, QStringLiteral("Transporte tomado:"), nada, v(sa.TRANSPORTETOMADO));
    LinhaKov(k, QStringLiteral("Cooperativas:"), nada, v(sa.COOPERATIVA));
    LinhaKov(k, QStringLiteral("Produtos Agropecuários:"), v(en.PRODUTOSAGROP), nada);
    LinhaKov(k, QStringLiteral("Geração de Energia Elétrica:"), v(en.ENERGIAELETRICA), nada);
    return k.fechar(4);
}

// "Mudança Município:" e a lista dos municípios de mudança, com os títulos das colunas
// repetidos nas páginas em que a lista continua.
void BlocoMudancaKov(const DadosImpressao& dd, Relatorio& r) {
    std::vector<const DetalhamentoEntrada*> linhas;
    if (dd.d.doc.MUDANCAMUNICIPIO == "S")
        for (const auto& l : dd.d.detalhamentoEntrada)
            if (l.MUDANCAMUNICIPIO == "S") linhas.push_back(&l);
    Bloco k;
    k.titulo(QStringLiteral("Mudança Município:"));
    r.detalhe(k.fechar(0.5));
    if (linhas.empty()) return;  // sem linhas, sem os títulos das colunas
    Banda titulos;
    titulos.texto(4, 0, 40, QStringLiteral("MUNICÍPIO"), Rotulo);
    titulos.texto(4 + LarguraTexto(QString(20, QLatin1Char('M')), Mono(9)), 0,
                  LarguraTexto(QString(27, QLatin1Char('M')), Mono(9)), QStringLiteral("VALOR"), Rotulo,
                  Alinhamento::Direita);
    titulos.definirAltura(Passo);
    r.detalhe(titulos);
    r.repetirNoTopo(titulos);
    for (const DetalhamentoEntrada* l : linhas) {
        Banda b;
        b.texto(4, 0, 180,
                completarDireita(q(dd.nomeMunicipio(l->CODDRUMUNICIPIO)), 20) +
                    completarEsquerda(Valor(v(l->VALORMUDANCA)), 27),
                Mono(9));
        b.definirAltura(Passo);
        r.detalhe(std::move(b));
    }
    r.pararDeRepetir();
}

// --- Outras entradas --------------------------------------------------------------------

std::optional<Relatorio> OutrasEntradas(const DadosImpressao& dd, const QDateTime& momento) {
    if (dd.d.detalhamentoEntrada.empty()) return std::nullopt;
    Relatorio r(QStringLiteral("KOV - Detalhamento de outras entradas"), momento);
    // O ano do cabeçalho vem da linha do grupo impresso por último.
    auto anoGrupo = std::make_shared<QString>(ano(dd.d.doc));
    CabecalhoFormulario(r, QStringLiteral("KOV - DETALHAMENTO DE OUTRAS ENTRADAS"), [anoGrupo] { return *anoGrupo; });
    RodapeFormulario(r);
    // Um grupo por inscrição: aqui, o da única declaração impressa.
    Bloco g;
    g.campo(0, QStringLiteral("Contribuinte:"),
            q(dd.contribuinte.INSCESTADUAL) + QStringLiteral(" - ") + q(dd.contribuinte.RAZAOSOCIAL), 160);
    g.proxima(Passo + 1);
    *anoGrupo = ano(dd.d.doc);
    r.cabecalhoGrupo(g.fechar(0), true);
    Bloco colunas;
    colunas.rotulo(0, 120, QStringLiteral("Município"));
    colunas.rotulo(140, 50, QStringLiteral("Valor (R$)"), Alinhamento::Direita);
    colunas.proxima();
    colunas.traco();
    const Banda titulos = colunas.fechar(0.5);
    r.detalhe(titulos);
    r.repetirNoTopo(titulos);
    Dinheiro total;
    for (const auto& l : dd.d.detalhamentoEntrada) {
        Banda b;
        b.texto(0, 0, 12, QStringLiteral("%1").arg(l.CODDRUMUNICIPIO, 3, 10, QLatin1Char('0')));
        b.texto(14, 0, 120, q(dd.nomeMunicipio(l.CODDRUMUNICIPIO)));
        b.valor(140, 0, 50, v(l.VALOR));
        b.definirAltura(Passo);
        r.detalhe(std::move(b));
        total += v(l.VALOR);
    }
    r.pararDeRepetir();
    Bloco t;
    t.traco();
    t.rotulo(0, 60, QStringLiteral("Totalização:"));
    t.valor(140, 50, total);
    t.proxima();
    r.detalhe(t.fechar(1));
    return r;
}

// --- GI -------------------------------------------------------------------------------

std::optional<Relatorio> GI(const DadosImpressao& dd, const QDateTime& momento) {
    if (dd.d.giEntrada.empty() && dd.d.giSaidas.empty()) return std::nullopt;
    Relatorio r(QStringLiteral("KOV - GI"), momento);
    const QString a = ano(dd.d.doc);
    CabecalhoFormulario(r, QString(), [a] { return a; });
    RodapeFormulario(r);
    Banda t;
    t.texto(0, 0, LarguraUtil, QStringLiteral("  GI  "), Negrito(13), Alinhamento::Centro);
    t.definirAltura(8);
    r.titulo(std::move(t));
    r.detalhe(BandaContribuinte(dd, dd.d.DESCRICAO_MUNICIPIO));

    auto porUF = [](auto linhas) {
        std::stable_sort(linhas.begin(), linhas.end(), [](const auto& x, const auto& y) { return x.UF_ID < y.UF_ID; });
        return linhas;
    };
    auto linhaValores = [](double xUF, const QString& uf, double x0, double largura, const std::vector<Quantia>& vs,
                           bool negrito) {
        Banda b;
        b.texto(xUF, 0, x0 - xUF, uf, negrito ? Rotulo : Normal);
        for (size_t i = 0; i < vs.size(); ++i) b.valor(x0 + i * largura, 0, largura, v(vs[i]), negrito ? Rotulo : Normal);
        b.definirAltura(Passo);
        return b;
    };

    // A linha "Total" de uma lista. Sem linhas, a soma agrupada não tem linha: o total sai
    // só com o rótulo.
    auto linhaTotal = [](double x0, double largura, bool vazia, const std::vector<Dinheiro>& totais, double folga) {
        Bloco tot;
        tot.traco();
        tot.rotulo(0, x0, QStringLiteral("Total"));
        if (!vazia)
            for (size_t i = 0; i < totais.size(); ++i) tot.b.valor(x0 + i * largura, tot.y, largura, totais[i], Rotulo);
        tot.proxima();
        return tot.fechar(folga);
    };

    // Entradas
    constexpr double X0E = 16, LE = 34.8;
    Bloco e;
    e.titulo(QStringLiteral("ENTRADAS"));
    e.rotulo(0, X0E, QStringLiteral("UF"));
    const std::array<const char*, 5> cabE = {"Valor contábil", "Base de cálculo", "Outras", "ST Petróleo", "ST Outros"};
    for (size_t i = 0; i < cabE.size(); ++i) e.rotulo(X0E + i * LE, LE, q(cabE[i]), Alinhamento::Direita);
    e.proxima();
    const Banda titulosE = e.fechar(0.5);
    r.detalhe(titulosE);
    r.repetirNoTopo(titulosE);
    for (const auto& l : porUF(dd.d.giEntrada))
        r.detalhe(linhaValores(0, q(l.UF_ID), X0E, LE,
                               {l.VALORCONTABIL, l.BASECALCULO, l.OUTRASENTRADAS, l.STPETROLEO, l.STOUTROS}, false));
    r.pararDeRepetir();
    const SomasGIEntrada se = SomarGIEntrada(dd.d.giEntrada);
    r.detalhe(linhaTotal(X0E, LE, dd.d.giEntrada.empty(),
                         {se.agTotalVC, se.agTotalBC, se.agTotalOE, se.agTotalSP, se.agTotalSO}, 5));

    // Saídas
    constexpr double X0S = 14, LS = 29.3;
    Bloco s;
    s.titulo(QStringLiteral("SAÍDAS"));
    s.rotulo(X0S, 2 * LS, QStringLiteral("Valor Contábil"), Alinhamento::Centro);
    s.rotulo(X0S + 2 * LS, 2 * LS, QStringLiteral("Base de Cálculo"), Alinhamento::Centro);
    s.proxima();
    s.rotulo(0, X0S, QStringLiteral("UF"));
    const std::array<const char*, 6> cabS = {"Contribuinte", "N. contribuinte", "Contribuinte",
                                             "N. Contribuinte", "Outras", "ICMS p/ ST"};
    for (size_t i = 0; i < cabS.size(); ++i) s.rotulo(X0S + i * LS, LS, q(cabS[i]), Alinhamento::Direita);
    s.proxima();
    const Banda titulosS = s.fechar(0.5);
    r.detalhe(titulosS);
    r.repetirNoTopo(titulosS);
    for (const auto& l : porUF(dd.d.giSaidas))
        r.detalhe(linhaValores(0, q(l.UF_ID), X0S, LS,
                               {l.VALORCONTABILCONT, l.VALORCONTABILNAOCONT, l.BASECALCULOCONT, l.BASECALCULONAOCONT,
                                l.OUTRASSAIDAS, l.SUBSTTRIBUTARIA},
                               false));
    r.pararDeRepetir();
    const SomasGISaidas so = SomarGISaidas(dd.d.giSaidas);
    r.detalhe(linhaTotal(X0S, LS, dd.d.giSaidas.empty(),
                         {so.agTotalVCC, so.agTotalVCNC, so.agTotalBCC, so.agTotalBCNC, so.agTotalOS, so.agTotalST}, 2));
    return r;
}

bool RegimeDebitoCredito(int regime) { return regime == 1 || regime == 2 || regime == 4; }
bool RegimeSimplificado(int regime) { return regime == 5 || regime == 6; }

}  // namespace

// --- Textos calculados ----------------------------------------------------------------------

std::string SimNao(const std::string& flag) { return flag == "S" ? "Sim" : "Não"; }

std::string TextoPeriodo(const Documento& doc) {
    const std::string a = doc.PERIODO ? std::to_string(*doc.PERIODO) : std::string();
    return doisDigitos(doc.MESINICIAL).toStdString() + "/" + a + " a " + doisDigitos(doc.MESFINAL).toStdString() + "/" + a;
}

std::string LegendaMunicipio(const Documento& doc) {
    const int anoDoc = doc.PERIODO.value_or(0);
    const int mes = doc.MESFINAL.value_or(0);
    const int dias = mes >= 1 && mes <= 12 && anoDoc > 0 ? UltimoDiaMes(mes, anoDoc) : 0;
    return "Município em " + doisDigitos(dias).toStdString() + "/" + doisDigitos(mes).toStdString() + "/" +
           (doc.PERIODO ? std::to_string(anoDoc) : std::string()) + ":";
}

std::string LegendaMudanca(const std::string& anoExercicio) { return "Mudou município em " + anoExercicio + ":"; }

bool OcultaTotalOperacoes(const Documento& doc) { return std::to_string(doc.REGIME_ID.value_or(0)) > "2"; }

// --- Formulários ----------------------------------------------------------------------------

std::optional<Relatorio> TForm_imp_Prelo_Entradas(const DadosImpressao& dd, const QDateTime& m) {
    return FormularioES(dd, m, true);
}
std::optional<Relatorio> TForm_imp_Prelo_Saidas(const DadosImpressao& dd, const QDateTime& m) {
    return FormularioES(dd, m, false);
}
std::optional<Relatorio> TForm_imp_Prelo_DebCred(const DadosImpressao& dd, const QDateTime& m) {
    return FormularioCompleto(dd, m, false);
}
std::optional<Relatorio> TForm_imp_Prelo_Simplificada(const DadosImpressao& dd, const QDateTime& m) {
    return FormularioCompleto(dd, m, true);
}

std::optional<Relatorio> TForm_imp_Kov(const DadosImpressao& dd, const QDateTime& momento) {
    if (!dd.d.kov || !dd.d.exclusoes) return std::nullopt;
    Relatorio r = NovoFormulario(QStringLiteral("KOV"), QStringLiteral("TESSIVA - KOV"), dd.d.doc, momento);
    r.titulo(BandaContribuinte(dd, dd.d.DESCRICAO_MUNICIPIO));
    r.detalhe(BlocoExclusoes(*dd.d.exclusoes));
    r.detalhe(BlocoKov(*dd.d.kov));
    // DesabilitaCampos: sem o bloco do total das operações, a mudança de município sobe
    // para o lugar dele.
    if (!OcultaTotalOperacoes(dd.d.doc)) r.detalhe(BlocoTotalOperacoes(dd));
    BlocoMudancaKov(dd, r);
    return r;
}

std::optional<Relatorio> TForm_imp_KovOutrasEntradas(const DadosImpressao& dd, const QDateTime& m) {
    return OutrasEntradas(dd, m);
}

std::optional<Relatorio> TForm_Imp_GI(const DadosImpressao& dd, const QDateTime& m) { return GI(dd, m); }

std::string NomeFormulario(TipoFormulario t) {
    switch (t) {
    case TipoFormulario::Prelo: return "prelo";
    case TipoFormulario::Entradas: return "entradas";
    case TipoFormulario::Saidas: return "saidas";
    case TipoFormulario::Kov: return "kov";
    case TipoFormulario::KovOutras: return "kov-outras";
    case TipoFormulario::GI: return "gi";
    }
    return {};
}

const std::vector<TipoFormulario>& TodosFormularios() {
    static const std::vector<TipoFormulario> v = {TipoFormulario::Prelo, TipoFormulario::Entradas,
                                                  TipoFormulario::Saidas, TipoFormulario::Kov,
                                                  TipoFormulario::KovOutras, TipoFormulario::GI};
    return v;
}

std::optional<TipoFormulario> FormularioPeloNome(const std::string& nome) {
    for (TipoFormulario t : TodosFormularios())
        if (NomeFormulario(t) == nome) return t;
    return std::nullopt;
}

std::optional<Relatorio> MontarFormulario(TipoFormulario tipo, const DadosImpressao& dd, const QDateTime& m) {
    const int regime = dd.d.doc.REGIME_ID.value_or(0);
    switch (tipo) {
    case TipoFormulario::Prelo:
        if (RegimeDebitoCredito(regime)) return TForm_imp_Prelo_DebCred(dd, m);
        if (RegimeSimplificado(regime)) return TForm_imp_Prelo_Simplificada(dd, m);
        return std::nullopt;
    case TipoFormulario::Entradas:
        return RegimeDebitoCredito(regime) ? TForm_imp_Prelo_Entradas(dd, m) : std::nullopt;
    case TipoFormulario::Saidas:
        return RegimeDebitoCredito(regime) ? TForm_imp_Prelo_Saidas(dd, m) : std::nullopt;
    case TipoFormulario::Kov: return TForm_imp_Kov(dd, m);
    case TipoFormulario::KovOutras: return TForm_imp_KovOutrasEntradas(dd, m);
    case TipoFormulario::GI: return TForm_Imp_GI(dd, m);
    }
    return std::nullopt;
}

std::vector<FormularioMontado> MontarFormularios(const DadosImpressao& dd, const std::set<TipoFormulario>& marcados,
                                                 const QDateTime& m) {
    std::vector<FormularioMontado> v;
    for (TipoFormulario t : TodosFormularios()) {
        if (!marcados.count(t)) continue;
        if (auto r = MontarFormulario(t, dd, m)) v.push_back(FormularioMontado{t, std::move(*r)});
    }
    return v;
}

}  // namespace kov::relatorios
