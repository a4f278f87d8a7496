#include "data/EdicaoDeclaracao.h"

#include "data/Cadastros.h"
#include "data/Consistencia.h"
#include "data/Figuras.h"
#include "data/Parametros.h"
#include "data/dmPrincipal.h"
#include "platform/Interacao.h"

namespace kov {

namespace {

Campo consulta(const char* nome, const char* rotulo, const char* chaves) {
    return Campo{nome, rotulo, EspecieColuna::Texto, false, true, chaves};
}

Campo calculado(const char* nome, const char* rotulo) {
    return Campo{nome, rotulo, EspecieColuna::Texto, false, true, {}};
}

template <class K>
fb::Valor descricao(const std::map<K, std::string>& m, const std::optional<K>& chave) {
    if (!chave) return {};
    const auto i = m.find(*chave);
    return i == m.end() ? fb::Valor() : fb::Valor(i->second);
}

}  // namespace

ConjuntoDeclaracoes::ConjuntoDeclaracoes(Tdm& dm) : ConjuntoDados("cdsDocumento"), anoCorrente(AnoAtual), dm_(dm) {
    const std::vector<DescricaoCampo> descricoes = {
        {"DOCUMENTO_ID", "Código", false},
        {"CONTRIBUINTE_ID", "Contribuinte", true},
        {"STATUS_ID", "Status", false},
        {"REGIME_ID", "Regime", true},
        {"TIPOCONTRIBUINTE_ID", "Tipo Contribuinte", false},  // vem do contribuinte
        {"CNAEF_ID", "CNAE", false},
        {"DESMEMBRAMENTO", "Desmembramento", false},
        {"CODDRUMUNICIPIO", "Município", true},
        {"TIPORECOLHIMENTO_ID", "Apuração", false},
        {"PERIODO", "Exercício", true},
        {"MESINICIAL", "Mês Inicial", true},
        {"MESFINAL", "Mês Final", true},
        {"ESCRITACONTABIL", "Escrita Contábil", false},
        {"SUBSTITUICAO", "Substituição", false},
        {"MUDANCAMUNICIPIO", "Mudança de Município no Ano Base", false},
        {"BAIXA", "Baixa Referente Ano Corrente", false},
        {"MUDANCAMUNICIPIOANOCORRENTE", "Mudança de Município Ano Corrente", false},
    };
    std::vector<Campo> cs = CamposDasColunas<Documento>(descricoes);
    cs.push_back(consulta("IE_CONTRIBUINTE", "Inscrição Estadual", "CONTRIBUINTE_ID"));
    // Razão social e CNPJ só acompanham a inscrição escolhida
    cs.push_back(calculado("NOME_CONTRIBUINTE", "Razão Social"));
    cs.push_back(calculado("CNPJ_CONTRIBUINTE", "CNPJ"));
    cs.push_back(consulta("TITULO_TIPOCONTRIBUINTE", "Tipo Contribuinte", "TIPOCONTRIBUINTE_ID"));
    cs.push_back(consulta("DESCRICAO_TIPOREGIME", "Regime", "REGIME_ID"));
    cs.push_back(consulta("DESCRICAO_MUNICIPIO", "Município", "CODDRUMUNICIPIO"));
    cs.push_back(consulta("DESCRICAO_CNAEF", "Atividade Econômica", "CNAEF_ID;DESMEMBRAMENTO"));
    cs.push_back(consulta("DESCRICAO_STATUS", "Consistência", "STATUS_ID"));
    cs.push_back(calculado("SITUACAO", "Entrega"));
    cs.push_back(calculado("calcMesInicial", "Mês Inicial"));
    cs.push_back(calculado("calcMesFinal", "Mês Final"));
    definirCampos(std::move(cs));

    // Descrições pela chave, das tabelas de referência abertas pelo módulo de dados
    for (const auto& m : dm.ref.cdsMunicipio) {
        municipios_[m.CODDRUMUNICIPIO] = m.DESCRICAO;
        idMunicipio_[m.CODDRUMUNICIPIO] = m.MUNICIPIO_ID;
    }
    for (const auto& r : dm.ref.cdsRegime) regimes_[r.REGIME_ID] = r.DESCRICAO;
    for (const auto& t : dm.ref.cdsTipoContribuinte) tipos_[t.TIPOCONTRIBUINTE_ID] = t.TITULO;
    for (const auto& s : dm.ref.cdsStatusDoc) status_[s.STATUSDOC_ID] = s.DESCRICAO;
    for (const auto& c : dm.ref.cdsCNAEF) cnaef_[{c.CNAEF_ID, c.DESMEMBRAMENTO}] = Aparar(c.DESCRICAO);
}

std::string ConjuntoDeclaracoes::anoExercicio() const { return dm_.LerParametro("ANOEXERCICIO"); }

int ConjuntoDeclaracoes::anoBase() const { return AnoComoInteiro(anoExercicio()); }

Declaracao* ConjuntoDeclaracoes::agregado() {
    return const_cast<Declaracao*>(static_cast<const ConjuntoDeclaracoes*>(this)->agregado());
}

const Declaracao* ConjuntoDeclaracoes::agregado() const {
    if (editando()) return edicao_ ? &*edicao_ : nullptr;
    if (postada_ && atual() == linhaPostada_) return &*postada_;
    return nullptr;
}

void ConjuntoDeclaracoes::alterarAgregado(const std::function<void(Declaracao&)>& regra) {
    if (!editando() || !edicao_) throw ErroSistema(nome() + ": o registro não está em edição");
    regra(*edicao_);
    descrever(*edicao_);
    avisar(MudancaConjunto::Valor);
}

fb::Valor ConjuntoDeclaracoes::ler(const Documento& doc, const Textos& t, const Campo& c) const {
    if (const Coluna<Documento>* col = ProcurarColuna<Documento>(c.nome)) return ValorColuna(doc, *col);
    const std::string& n = c.nome;
    if (n == "IE_CONTRIBUINTE") return t.IE;
    if (n == "NOME_CONTRIBUINTE") return t.NOME;
    if (n == "CNPJ_CONTRIBUINTE") return t.CNPJ;
    if (n == "SITUACAO") return t.SITUACAO;
    if (n == "TITULO_TIPOCONTRIBUINTE") return descricao(tipos_, doc.TIPOCONTRIBUINTE_ID);
    if (n == "DESCRICAO_TIPOREGIME") return descricao(regimes_, doc.REGIME_ID);
    if (n == "DESCRICAO_MUNICIPIO") return descricao(municipios_, doc.CODDRUMUNICIPIO);
    if (n == "DESCRICAO_STATUS") return descricao(status_, doc.STATUS_ID);
    if (n == "DESCRICAO_CNAEF") {
        const auto i = cnaef_.find({doc.CNAEF_ID, doc.DESMEMBRAMENTO});
        return i == cnaef_.end() ? fb::Valor() : fb::Valor(i->second);
    }
    if (n == "calcMesInicial") return calcMesInicial(doc);
    if (n == "calcMesFinal") return calcMesFinal(doc);
    return {};
}

fb::Valor ConjuntoDeclaracoes::lerLinha(int linha, const Campo& c) const {
    const LinhaListaDeclaracao& l = linhas_.at(static_cast<size_t>(linha));
    return ler(l.doc, {l.INSCESTADUAL, l.RAZAOSOCIAL, l.CNPJ, l.SITUACAO}, c);
}

fb::Valor ConjuntoDeclaracoes::lerEdicao(const Campo& c) const {
    if (!edicao_) return {};
    const Declaracao& d = *edicao_;
    return ler(d.doc, {d.IE_CONTRIBUINTE, d.NOME_CONTRIBUINTE, d.CNPJ_CONTRIBUINTE, d.SITUACAO}, c);
}

void ConjuntoDeclaracoes::escreverEdicao(const Campo& c, const fb::Valor& v) {
    if (!edicao_) return;
    if (const Coluna<Documento>* col = ProcurarColuna<Documento>(c.nome)) DefinirColuna(edicao_->doc, *col, v);
    descrever(*edicao_);
}

void ConjuntoDeclaracoes::descrever(Declaracao& d) const {
    const Documento& doc = d.doc;
    d.DESCRICAO_MUNICIPIO = descricao(municipios_, doc.CODDRUMUNICIPIO).texto();
    d.MUNICIPIO_MUNICIPIO_ID.reset();
    if (doc.CODDRUMUNICIPIO)
        if (const auto i = idMunicipio_.find(*doc.CODDRUMUNICIPIO); i != idMunicipio_.end())
            d.MUNICIPIO_MUNICIPIO_ID = i->second;
    d.DESCRICAO_TIPOREGIME = descricao(regimes_, doc.REGIME_ID).texto();
    d.TITULO_TIPOCONTRIBUINTE = descricao(tipos_, doc.TIPOCONTRIBUINTE_ID).texto();
    d.DESCRICAO_STATUS = descricao(status_, doc.STATUS_ID).texto();
    const auto i = cnaef_.find({doc.CNAEF_ID, doc.DESMEMBRAMENTO});
    d.DESCRICAO_CNAEF = i == cnaef_.end() ? std::string() : i->second;
}

LinhaListaDeclaracao ConjuntoDeclaracoes::linhaDe(const Declaracao& d) const {
    LinhaListaDeclaracao l;
    l.doc = d.doc;
    l.DOCUMENTO_ID = d.doc.DOCUMENTO_ID;
    l.INSCESTADUAL = d.IE_CONTRIBUINTE;
    l.RAZAOSOCIAL = d.NOME_CONTRIBUINTE;
    l.CNPJ = d.CNPJ_CONTRIBUINTE;
    l.PERIODO = d.doc.PERIODO.value_or(0);
    l.MESINICIAL = d.doc.MESINICIAL.value_or(0);
    l.MESFINAL = d.doc.MESFINAL.value_or(0);
    l.STATUS_ID = d.doc.STATUS_ID.value_or(0);
    l.DESCRICAO_STATUS = d.DESCRICAO_STATUS;
    l.SITUACAO = d.SITUACAO;
    l.REGIME_ID = d.doc.REGIME_ID.value_or(0);
    return l;
}

void ConjuntoDeclaracoes::carregar() {
    // A lista é a do ano base; com o ano em branco, todas
    linhas_ = ListarDeclaracoes(dm_.MainConnection, anoExercicio());
}

void ConjuntoDeclaracoes::descarregar() {
    linhas_.clear();
    edicao_.reset();
    postada_.reset();
    linhaPostada_ = -1;
}

void ConjuntoDeclaracoes::comecarInclusao() {
    // Uma declaração postada e não gravada seria perdida pela próxima postagem
    if (postada_) throw ErroSistema(MSG_APLICAR_ANTES);
    Declaracao d = NovaDeclaracao(anoExercicio());
    descrever(d);
    edicao_ = d;
    original_ = d;
}

void ConjuntoDeclaracoes::comecarAlteracao(int linha) {
    if (postada_ && linha != linhaPostada_) throw ErroSistema(MSG_APLICAR_ANTES);
    Declaracao d =
        postada_ ? *postada_ : CarregarDeclaracao(dm_.MainConnection, linhas_.at(static_cast<size_t>(linha)).DOCUMENTO_ID);
    descrever(d);
    edicao_ = d;
    original_ = std::move(d);
}

void ConjuntoDeclaracoes::salvar(Declaracao& d) {
    const Contribuinte contribuinte = CarregarContribuinte(dm_.MainConnection, d.doc.CONTRIBUINTE_ID.value_or(0));
    if (!consistirEm_) {
        SalvarDeclaracao(dm_.MainConnection, d, contribuinte, anoCorrente(), anoExercicio());
        return;
    }
    ListasConsistencia achados;
    SalvarEConsistir(dm_, d, contribuinte, anoCorrente(), anoExercicio(), achados);
    // Os erros achados agora substituem os desta declaração (a tela pode gravar mais de uma vez)
    const int documento = d.doc.DOCUMENTO_ID;
    std::erase_if(consistirEm_->cdsErros, [documento](const LinhaErro& e) { return e.Documento == documento; });
    for (auto& e : achados.cdsErros) consistirEm_->cdsErros.push_back(std::move(e));
    for (auto& e : achados.cdsDocumentosErros)
        if (!consistirEm_->temDocumento(e.Documento)) consistirEm_->cdsDocumentosErros.push_back(std::move(e));
}

void ConjuntoDeclaracoes::aplicarEdicao() {
    if (edicao_) salvar(*edicao_);
}

int ConjuntoDeclaracoes::postarEdicao() {
    // Depois de postada, a declaração tem todas as seções (zeradas as que faltavam)
    CriarSecoesQueFaltam(*edicao_);
    postada_ = std::move(*edicao_);
    edicao_.reset();
    if (estado() == EstadoConjunto::Insercao || atual() < 0) {
        linhas_.push_back(linhaDe(*postada_));
        linhaPostada_ = static_cast<int>(linhas_.size()) - 1;
    } else {
        linhaPostada_ = atual();
        linhas_.at(static_cast<size_t>(linhaPostada_)) = linhaDe(*postada_);
    }
    return linhaPostada_;
}

std::string ConjuntoDeclaracoes::aplicarPostadas() {
    salvar(*postada_);
    const std::string chave = std::to_string(postada_->doc.DOCUMENTO_ID);
    postada_.reset();
    linhaPostada_ = -1;
    return chave;
}

void ConjuntoDeclaracoes::descartarPostadas() {
    postada_.reset();
    linhaPostada_ = -1;
}

void ConjuntoDeclaracoes::excluirNaBase(int linha) {
    ExcluirDeclaracao(dm_.MainConnection, linhas_.at(static_cast<size_t>(linha)).DOCUMENTO_ID);
}

std::string ConjuntoDeclaracoes::chaveLinha(int linha) const {
    return std::to_string(linhas_.at(static_cast<size_t>(linha)).DOCUMENTO_ID);
}

std::string ConjuntoDeclaracoes::chaveEdicao() const { return edicao_ ? std::to_string(edicao_->doc.DOCUMENTO_ID) : ""; }

namespace {

Campo calculadoValor(const char* nome, const char* rotulo = "") {
    return Campo{nome, *rotulo ? rotulo : nome, EspecieColuna::Valor, false, true, {}};
}

template <class L>
std::unique_ptr<ConjuntoDados> secaoCom(const char* nome, ConjuntoDeclaracoes& mestre, std::optional<L> Declaracao::*m,
                                        std::vector<std::pair<const char*, Dinheiro (*)(const L&)>> calculados = {}) {
    std::vector<typename ConjuntoSecao<L>::Consulta> cs;
    for (const auto& [campo, f] : calculados)
        cs.push_back({calculadoValor(campo), [f = f](const L& l) { return fb::Valor(f(l)); }});
    return std::make_unique<ConjuntoSecao<L>>(nome, mestre, m, std::vector<DescricaoCampo>{}, std::move(cs));
}

}  // namespace

ConjuntoDados& ConjuntoDeclaracoes::secao(SecaoFigura s) {
    auto& c = secoes_[s];
    if (c) return *c;
    switch (s) {
        case SecaoFigura::Estoque:
            c = secaoCom<Estoque>("cdsEstoque", *this, &Declaracao::estoque,
                                  {{"calcIniTotal", calcIniTotal}, {"calcFimTotal", calcFimTotal}});
            break;
        case SecaoFigura::Despesas:
            c = secaoCom<DespesasOperacionais>("cdsDespesasOperacionais", *this, &Declaracao::despesas,
                                               {{"calcTotal", calcTotal}});
            break;
        case SecaoFigura::Resultado:
            c = secaoCom<ResultadoOperacional>("cdsResultadoOperacional", *this, &Declaracao::resultado,
                                               {{"calcReceitaLiquida", calcReceitaLiquida},
                                                {"calcLucroPrejuizo", calcLucroPrejuizo},
                                                {"calcLucroPrejuizoOperacional", calcLucroPrejuizoOperacional}});
            break;
        case SecaoFigura::Entrada: c = secaoCom<Entrada>("cdsEntrada", *this, &Declaracao::entrada); break;
        case SecaoFigura::Saida: c = secaoCom<Saida>("cdsSaida", *this, &Declaracao::saida); break;
        case SecaoFigura::Kov:
            c = secaoCom<Kov>("cdsKOV", *this, &Declaracao::kov,
                              {{"calcTotalEntradas", calcTotalEntradas}, {"calcTotalKOV", calcTotalKOV}});
            break;
        case SecaoFigura::Exclusoes:
            c = secaoCom<ExclusoesKov>("cdsExclusoesKOV", *this, &Declaracao::exclusoes,
                                       {{"calcEntTotal", calcEntTotal}, {"calcSaiTotal", calcSaiTotal}});
            break;
    }
    return *c;
}

namespace {

// Linhas da GI: a consulta da UF ("SP - São Paulo") e a regra de gravação da linha.
template <class L>
std::unique_ptr<ConjuntoDados> conjuntoGI(Tdm& dm, ConjuntoDeclaracoes& mestre, const char* nome,
                                          std::vector<L> Declaracao::*linhas,
                                          void (*gravar)(Declaracao&, L&, std::optional<size_t>, Interacao&),
                                          std::vector<DescricaoCampo> rotulos) {
    auto ufs = std::make_shared<std::map<std::string, std::string>>();
    for (const auto& uf : dm.ref.cdsUF) (*ufs)[uf.UF_ID] = UF_DESCRICAO(uf);
    typename ConjuntoDetalhe<L>::Regras regras;
    regras.linhas = linhas;
    regras.nova = [](const Declaracao& d) {
        L l{};
        ZerarCampos(l);
        l.DOCUMENTO_ID = d.doc.DOCUMENTO_ID;
        return l;
    };
    regras.gravar = [&dm, gravar](Declaracao& d, L& l, std::optional<size_t> i) { gravar(d, l, i, dm.ui()); };
    std::vector<typename ConjuntoDetalhe<L>::Consulta> consultas;
    consultas.push_back({Campo{"DESCRICAO_UF", "UF", EspecieColuna::Texto, false, true, "UF_ID"},
                         [ufs](const L& l) -> fb::Valor {
                             const auto i = ufs->find(l.UF_ID);
                             return i == ufs->end() ? fb::Valor() : fb::Valor(i->second);
                         }});
    return std::make_unique<ConjuntoDetalhe<L>>(nome, mestre, std::move(regras), rotulos, std::move(consultas));
}

}  // namespace

ConjuntoDetalhe<GIEntrada>& ConjuntoDeclaracoes::giEntrada() {
    if (!giEntrada_)
        giEntrada_ = conjuntoGI<GIEntrada>(dm_, *this, "cdsGIEntrada", &Declaracao::giEntrada, GravarLinhaGIEntrada,
                                           {{"UF_ID", "UF", false},
                                            {"VALORCONTABIL", "Valor Contábil", false},
                                            {"BASECALCULO", "Base de Cálculo", false},
                                            {"OUTRASENTRADAS", "Outras Entradas", false},
                                            {"STPETROLEO", "ST Petróleo", false},
                                            {"STOUTROS", "ST Outros", false}});
    return static_cast<ConjuntoDetalhe<GIEntrada>&>(*giEntrada_);
}

ConjuntoDetalhe<GISaidas>& ConjuntoDeclaracoes::giSaidas() {
    if (!giSaidas_)
        giSaidas_ = conjuntoGI<GISaidas>(dm_, *this, "cdsGISaidas", &Declaracao::giSaidas, GravarLinhaGISaidas,
                                         {{"UF_ID", "UF", false},
                                          {"VALORCONTABILCONT", "Valor Contábil\nContribuinte", false},
                                          {"VALORCONTABILNAOCONT", "Valor Contábil\nNão Contribuinte", false},
                                          {"BASECALCULOCONT", "Base de Cálculo\nContribuinte", false},
                                          {"BASECALCULONAOCONT", "Base de Cálculo\nNão Contribuinte", false},
                                          {"OUTRASSAIDAS", "Outras Saídas", false},
                                          {"SUBSTTRIBUTARIA", "Substit. Tributária", false}});
    return static_cast<ConjuntoDetalhe<GISaidas>&>(*giSaidas_);
}

ConjuntoDetalhe<DetalhamentoES>& ConjuntoDeclaracoes::detalhamentoES() {
    if (!detalhamentoES_) {
        ConjuntoDetalhe<DetalhamentoES>::Regras regras;
        regras.linhas = &Declaracao::detalhamentoES;
        regras.nova = [](const Declaracao& d) {
            DetalhamentoES l{};
            ZerarCampos(l);
            l.DOCUMENTO_ID = d.doc.DOCUMENTO_ID;
            return l;
        };
        // A linha gravada leva os seus totais, e os de ENTRADA e SAIDA são refeitos dela
        regras.gravar = [](Declaracao& d, DetalhamentoES& l, std::optional<size_t> i) {
            TotaisAntesDeGravar(l);
            if (i) d.detalhamentoES.at(*i) = l;
            else d.detalhamentoES.push_back(l);
            TotalizarEntradasSaidas(d);
        };
        std::vector<ConjuntoDetalhe<DetalhamentoES>::Consulta> cs;
        for (const CategoriaES& c : CategoriasES())
            cs.push_back({calculadoValor(c.campoOPSICMS),
                          [&c](const DetalhamentoES& l) { return fb::Valor(calcOPSICMS(l, c)); }});
        const std::pair<const char*, Dinheiro (*)(const DetalhamentoES&)> subtotais[] = {
            {"calcVCSubTotal", calcVCSubTotal},
            {"calcBCSubTotal", calcBCSubTotal},
            {"calcICMSSubTotal", calcICMSSubTotal},
            {"calcOPSICMSSubTotal", calcOPSICMSSubTotal}};
        for (const auto& [nome, f] : subtotais)
            cs.push_back({calculadoValor(nome), [f = f](const DetalhamentoES& l) { return fb::Valor(f(l)); }});
        detalhamentoES_ = std::make_unique<ConjuntoDetalhe<DetalhamentoES>>(
            "cdsDetalhamentoES", *this, std::move(regras), std::vector<DescricaoCampo>{}, std::move(cs));
    }
    return static_cast<ConjuntoDetalhe<DetalhamentoES>&>(*detalhamentoES_);
}

ConjuntoDetalhe<DetalhamentoEntrada>& ConjuntoDeclaracoes::detalhamentoEntrada() {
    if (!detalhamentoEntrada_) detalhamentoEntrada_ = CriarDetalhamentoEntrada(dm_, *this);
    return static_cast<ConjuntoDetalhe<DetalhamentoEntrada>&>(*detalhamentoEntrada_);
}

// --- Outras entradas por município ----------------------------------------------------------

std::unique_ptr<ConjuntoDetalhe<DetalhamentoEntrada>> CriarDetalhamentoEntrada(Tdm& dm, ConjuntoDeclaracoes& mestre) {
    auto municipios = std::make_shared<std::map<int, std::string>>();
    auto validos = std::make_shared<std::vector<int>>();
    for (const auto& m : dm.ref.cdsMunicipio) {
        (*municipios)[m.CODDRUMUNICIPIO] = m.DESCRICAO;
        validos->push_back(m.CODDRUMUNICIPIO);
    }
    ConjuntoDetalhe<DetalhamentoEntrada>::Regras regras;
    regras.linhas = &Declaracao::detalhamentoEntrada;
    regras.nova = [&dm](const Declaracao& d) {
        DetalhamentoEntrada l = NovaLinhaDetalhamentoEntrada(dm.MudancaMunicipioPadrao);
        l.DOCUMENTO_ID = d.doc.DOCUMENTO_ID;
        return l;
    };
    regras.gravar = [validos](Declaracao& d, DetalhamentoEntrada& l, std::optional<size_t> i) {
        GravarLinhaDetalhamentoEntrada(d, l, i, *validos);
    };
    std::vector<ConjuntoDetalhe<DetalhamentoEntrada>::Consulta> consultas;
    consultas.push_back({Campo{"DESCRICAO_MUNICIPIO", "Município", EspecieColuna::Texto, false, true, "CODDRUMUNICIPIO"},
                         [municipios](const DetalhamentoEntrada& l) -> fb::Valor {
                             const auto i = municipios->find(l.CODDRUMUNICIPIO);
                             return i == municipios->end() ? fb::Valor() : fb::Valor(i->second);
                         }});
    return std::make_unique<ConjuntoDetalhe<DetalhamentoEntrada>>(
        "cdsDetalhamentoEntrada", mestre, std::move(regras),
        std::vector<DescricaoCampo>{{"CODDRUMUNICIPIO", "Código", true},
                                    {"VALOR", "Valor", false},
                                    {"MUDANCAMUNICIPIO", "Mudança de Município", false},
                                    {"VALORMUDANCA", "Valor", false}},
        std::move(consultas));
}

}  // namespace kov
