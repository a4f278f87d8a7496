#include "data/RegrasDeclaracao.h"

#include <algorithm>

#include "data/Chaves.h"
#include "data/Figuras.h"
#include "data/LinhasBanco.h"
#include "data/fb/ErroBanco.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

namespace kov {

namespace {

bool regimeCompleto(const Documento& d) {
    const int r = d.REGIME_ID.value_or(0);
    return r == 1 || r == 2 || r == 4;
}

// A mudança de município no ano corrente: MUDANCAMUNICIPIO 'S' e PERIODO igual ao ano de hoje.
bool mudancaNoAnoCorrente(const Documento& d, int anoCorrente) {
    return d.MUDANCAMUNICIPIO == "S" && d.PERIODO.value_or(0) == anoCorrente;
}

template <class L>
void zerarSeFalta(std::optional<L>& secao) {
    if (!secao) {
        secao.emplace();
        ZerarCampos(*secao);
    }
}

void erroCaixa(Interacao& ui, const std::string& texto) { ui.mensagem(TipoMensagem::Erro, "Erro", texto); }

}  // namespace

int AnoComoInteiro(const std::string& ano) {
    try {
        size_t pos = 0;
        const int v = std::stoi(ano, &pos);
        return pos == ano.size() ? v : 1;
    } catch (...) {
        return 1;  // valor não numérico vale 1, nunca igual ao ano corrente
    }
}

Declaracao NovaDeclaracao(const std::string& anoExercicio) {
    Declaracao d;
    d.doc.STATUS_ID = 0;
    d.doc.SUBSTITUICAO = d.doc.ESCRITACONTABIL = d.doc.BAIXA = d.doc.MUDANCAMUNICIPIO =
        d.doc.MUDANCAMUNICIPIOANOCORRENTE = "N";
    d.doc.TIPORECOLHIMENTO_ID = 0;
    size_t pos = 0;
    int ano = 0;
    try {
        ano = std::stoi(anoExercicio, &pos);
    } catch (...) {
        pos = 0;
    }
    if (anoExercicio.empty() || pos != anoExercicio.size())
        throw ErroSistema("'" + anoExercicio + "' is not a valid integer value");
    d.doc.PERIODO = ano;
    return d;
}

void DefinirContribuinte(Declaracao& d, const Contribuinte& c) {
    if (!c.RESPONSAVEL_ID.has_value())
        throw ErroSistema("O contribuinte selecionado não possui responsável associado!\r\nContribuinte: " +
                          c.INSCESTADUAL + " - " + c.RAZAOSOCIAL + "\r\n" +
                          "Para utilizar este contribuinte acesse o cadastro e informe um responsável.");
    d.doc.CONTRIBUINTE_ID = c.CONTRIBUINTE_ID;
    d.doc.CNAEF_ID = c.CNAEF_ID;
    d.doc.DESMEMBRAMENTO = c.DESMEMBRAMENTO;
    d.IE_CONTRIBUINTE = c.INSCESTADUAL;
    d.NOME_CONTRIBUINTE = c.RAZAOSOCIAL;
    d.CNPJ_CONTRIBUINTE = c.CNPJ;
}

int ProximaChaveDocumentoLivre(fb::Transacao& tr) {
    // O gerador pode estar atrás das chaves gravadas (base de outra origem): as chaves em uso
    // são puladas, cada uma consumida no gerador
    fb::Comando existe(tr, "SELECT 1 FROM DOCUMENTO WHERE DOCUMENTO_ID = :ID");
    int chave = ProximoCodigo(tr, "DOCUMENTO");
    for (int tentativas = 0; tentativas < 1000000; ++tentativas) {
        existe.param("ID", chave);
        if (!existe.proximo()) break;
        existe.fecharCursor();
        chave = ProximoCodigo(tr, "DOCUMENTO");
    }
    return chave;
}

int ProximaChaveDocumentoLivre(fb::Conexao& c) {
    fb::Transacao tr(c);
    const int chave = ProximaChaveDocumentoLivre(tr);
    tr.commit();  // as chaves ficam consumidas, como no gerador do servidor
    return chave;
}

void AntesDeGravarDocumento(fb::Conexao& c, Declaracao& d, const Contribuinte& contribuinte, int anoCorrente,
                            const std::string& anoExercicio) {
    AntesDeGravarDocumento(d, contribuinte, anoCorrente, anoExercicio);
    if (d.doc.DOCUMENTO_ID <= 0) d.doc.DOCUMENTO_ID = ProximaChaveDocumentoLivre(c);
}

void AntesDeGravarDocumento(Declaracao& d, const Contribuinte& contribuinte, int anoCorrente,
                            const std::string& anoExercicio) {
    if (AnoComoInteiro(anoExercicio) == anoCorrente && d.doc.MUDANCAMUNICIPIOANOCORRENTE == "N" && d.doc.BAIXA == "N")
        throw ErroSistema(
            "Quando o ano exercício é igual ao ano corrente obrigatoriamente o registro \r\nprecisa ser uma "
            "\"mudança de município no ano corrente\" ou \"baixa referente ao ano corrente\"");
    const int regime = d.doc.REGIME_ID.value_or(0);
    if (regime >= 1 && regime <= 4) d.doc.TIPORECOLHIMENTO_ID = 0;
    CopiarDoContribuinte(d, contribuinte);
}

void CopiarDoContribuinte(Declaracao& d, const Contribuinte& contribuinte) {
    d.IE_CONTRIBUINTE = contribuinte.INSCESTADUAL;
    d.doc.CNAEF_ID = contribuinte.CNAEF_ID;
    d.doc.DESMEMBRAMENTO = contribuinte.DESMEMBRAMENTO;
}

void CriarSecoesQueFaltam(Declaracao& d) {
    for (int tipo = 1; tipo <= 6; ++tipo) {
        if (d.detalhamento(tipo)) continue;
        DetalhamentoES linha;
        linha.TIPOOPERACAO_ID = tipo;
        linha.DOCUMENTO_ID = d.doc.DOCUMENTO_ID;
        ZerarCampos(linha);
        d.detalhamentoES.push_back(linha);
    }
    std::sort(d.detalhamentoES.begin(), d.detalhamentoES.end(),
              [](const auto& a, const auto& b) { return a.TIPOOPERACAO_ID < b.TIPOOPERACAO_ID; });
    zerarSeFalta(d.estoque);
    zerarSeFalta(d.despesas);
    zerarSeFalta(d.resultado);
    zerarSeFalta(d.entrada);
    zerarSeFalta(d.saida);
    zerarSeFalta(d.kov);
    zerarSeFalta(d.exclusoes);
}

bool ExisteConflitoPeriodo(fb::Conexao& c, const Documento& doc) {
    auto tr = fb::Transacao::leitura(c);
    const bool conflito = ExisteConflitoPeriodo(tr, doc);
    tr.commit();
    return conflito;
}

bool ExisteConflitoPeriodo(fb::Transacao& tr, const Documento& doc) {
    fb::Comando q(tr,
                  "SELECT FIRST 1 1 FROM DOCUMENTO WHERE DOCUMENTO_ID <> :DOCUMENTO_ID AND CONTRIBUINTE_ID = "
                  ":CONTRIBUINTE_ID AND PERIODO = :PERIODO AND ((MESINICIAL <= :MESINICIAL AND MESFINAL >= "
                  ":MESINICIAL) OR (MESINICIAL >= :MESINICIAL AND MESINICIAL <= :MESFINAL)) AND "
                  "MUDANCAMUNICIPIOANOCORRENTE = 'N'");
    q.param("DOCUMENTO_ID", doc.DOCUMENTO_ID)
        .param("CONTRIBUINTE_ID", doc.CONTRIBUINTE_ID)
        .param("PERIODO", doc.PERIODO)
        .param("MESINICIAL", doc.MESINICIAL)
        .param("MESFINAL", doc.MESFINAL);
    return q.proximo();
}

bool ValidarDocumento(fb::Conexao& c, const Declaracao& d, Interacao& ui) {
    const Documento& doc = d.doc;
    if (!doc.CONTRIBUINTE_ID || *doc.CONTRIBUINTE_ID <= 0) {
        erroCaixa(ui, "Favor informar o contribuinte.");
        return false;
    }
    if (!doc.MESINICIAL || !doc.MESFINAL) {
        erroCaixa(ui, "Período de referência inválido");
        return false;
    }
    if (doc.MUDANCAMUNICIPIO == "S" && !d.MUNICIPIO_MUNICIPIO_ID) {
        erroCaixa(ui, "Favor informar o município.");
        return false;
    }
    if (!doc.REGIME_ID) {
        erroCaixa(ui, "Favor informar o regime de recolhimento.");
        return false;
    }
    if (*doc.MESFINAL < *doc.MESINICIAL) {
        erroCaixa(ui, "Mês Inicial maior que Mês Final!");
        return false;
    }
    if (ExisteConflitoPeriodo(c, doc)) {
        erroCaixa(ui, "Existe documento com conflito de periodo para este contribuinte!");
        return false;
    }
    return true;
}

void LimparExclusoes(Declaracao& d, int anoCorrente) {
    if (!d.exclusoes) return;
    ExclusoesKov& x = *d.exclusoes;
    if (mudancaNoAnoCorrente(d.doc, anoCorrente)) {
        ZerarCampos(x);
    } else if (d.doc.TIPOCONTRIBUINTE_ID.value_or(-1) == 0) {
        // Transportador: só as duas exclusões de transporte ficam
        const Quantia a = x.ENTSUBCONTRATACAOTRANSPORTE, b = x.SAITRANPORTESINICIADOOUTRA;
        ZerarCampos(x);
        x.ENTSUBCONTRATACAOTRANSPORTE = a;
        x.SAITRANPORTESINICIADOOUTRA = b;
    } else if (d.doc.TIPOCONTRIBUINTE_ID.value_or(-1) == 3) {
        x.ENTSUBCONTRATACAOTRANSPORTE = Dinheiro{};
        x.SAITRANPORTESINICIADOOUTRA = Dinheiro{};
    }
}

void LimparKOV(Declaracao& d, int anoCorrente) {
    if (!d.kov || !mudancaNoAnoCorrente(d.doc, anoCorrente)) return;
    const bool jaEraMudanca = d.salvo && d.salvo->MUDANCAMUNICIPIO == "S" && d.salvo->PERIODO.value_or(0) == anoCorrente;
    if (!jaEraMudanca) ZerarCampos(*d.kov);
}

void LimparPorRecolhimento(Declaracao& d) {
    if (d.doc.TIPORECOLHIMENTO_ID.value_or(0) == 2) d.detalhamentoES.clear();
}

void LimparDadosNaoAplicaveis(Declaracao& d, int anoCorrente) {
    // 1. Exclusões
    LimparExclusoes(d, anoCorrente);
    // 2. Regime sem o detalhamento completo
    if (!regimeCompleto(d.doc)) {
        d.detalhamentoES.clear();
        if (d.entrada) {
            auto& e = *d.entrada;
            e.VCTOTAL = e.BCTOTAL = e.ICMSTOTAL = e.OPSEMICMSTOTAL = e.AJUSTETRANSFERENCIA = e.ENERGIAELETRICA = Dinheiro{};
        }
        if (d.saida) {
            auto& s = *d.saida;
            s.VCTOTAL = s.BCTOTAL = s.ICMSTOTAL = s.OPSEMICMSTOTAL = s.AJUSTETRANSFERENCIA = s.COOPERATIVA = Dinheiro{};
        }
    }
    // 3. Escrita contábil: com livros, demonstração de resultado; sem, despesas operacionais
    if (d.doc.ESCRITACONTABIL != "S") d.resultado.reset();
    else d.despesas.reset();
    // 4. KOV zerado numa mudança de município no ano corrente que é nova
    LimparKOV(d, anoCorrente);
    // 5. Apuração presumida: sem detalhamento por tipo de operação
    LimparPorRecolhimento(d);
    // 6. Mudança de município no ano corrente: só ficam o cabeçalho, o KOV, as exclusões e
    //    as outras entradas por município
    if (mudancaNoAnoCorrente(d.doc, anoCorrente)) {
        d.estoque.reset();
        d.despesas.reset();
        d.resultado.reset();
        d.entrada.reset();
        d.saida.reset();
        d.detalhamentoES.clear();
        d.giEntrada.clear();
        d.giSaidas.clear();
    }
}

void PrepararDetalhesPrelo(Declaracao& d) {
    zerarSeFalta(d.estoque);
    zerarSeFalta(d.despesas);
    zerarSeFalta(d.resultado);
    zerarSeFalta(d.entrada);
    zerarSeFalta(d.saida);
}

void PrepararDetalhesKOV(Declaracao& d) {
    zerarSeFalta(d.exclusoes);
    zerarSeFalta(d.kov);
}

namespace {

std::string aparado(const std::string& s) {
    const auto a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

template <class L>
void gravarLinhaGI(std::vector<L>& linhas, L& linha, std::optional<size_t> indice, Interacao& ui, int documentoId) {
    // Sem UF: a linha continua em edição, com o que foi digitado, no campo da UF
    if (aparado(linha.UF_ID).empty()) {
        erroCaixa(ui, "UF não informada!");
        throw Abortar("DESCRICAO_UF");
    }
    const bool mudouUF = !indice || linhas.at(*indice).UF_ID != linha.UF_ID;
    if (mudouUF) {
        for (size_t i = 0; i < linhas.size(); ++i) {
            if (indice && i == *indice) continue;
            if (linhas[i].UF_ID == linha.UF_ID) {
                erroCaixa(ui, "UF já foi informada!");
                // UF repetida: as alterações da linha são descartadas (a linha existente
                // volta a ser a gravada; a nova volta a ficar em branco)
                if (indice) {
                    linha = linhas.at(*indice);
                } else {
                    linha = L{};
                    ZerarCampos(linha);
                }
                throw Abortar("UF_ID");
            }
        }
    }
    // Valores apagados valem 0
    for (const auto& c : L::colunas())
        if (auto m = std::get_if<Quantia L::*>(&c.membro))
            if (!(linha.*(*m))) linha.*(*m) = Dinheiro{};
    linha.DOCUMENTO_ID = documentoId;
    if (indice) linhas.at(*indice) = linha;
    else linhas.push_back(linha);
    std::stable_sort(linhas.begin(), linhas.end(), [](const L& a, const L& b) { return a.UF_ID < b.UF_ID; });
}

}  // namespace

void GravarLinhaGIEntrada(Declaracao& d, GIEntrada& linha, std::optional<size_t> indice, Interacao& ui) {
    gravarLinhaGI(d.giEntrada, linha, indice, ui, d.doc.DOCUMENTO_ID);
}

void GravarLinhaGISaidas(Declaracao& d, GISaidas& linha, std::optional<size_t> indice, Interacao& ui) {
    gravarLinhaGI(d.giSaidas, linha, indice, ui, d.doc.DOCUMENTO_ID);
}

DetalhamentoEntrada NovaLinhaDetalhamentoEntrada(const std::string& mudancaMunicipioPadrao) {
    DetalhamentoEntrada l;
    l.MUDANCAMUNICIPIO = mudancaMunicipioPadrao;
    ZerarCampos(l);
    return l;
}

void GravarLinhaDetalhamentoEntrada(Declaracao& d, DetalhamentoEntrada& linha, std::optional<size_t> indice,
                                    const std::vector<int>& municipiosValidos) {
    // O valor negativo fica 0 na própria linha em edição, que o usuário vê corrigida
    if (linha.VALOR && *linha.VALOR < Dinheiro{}) {
        linha.VALOR = Dinheiro{};
        throw ErroCampo("VALOR", "Campo \"VALOR\" não pode ter valor negativo");
    }
    if (linha.VALORMUDANCA && *linha.VALORMUDANCA < Dinheiro{}) {
        linha.VALORMUDANCA = Dinheiro{};
        throw ErroCampo("VALORMUDANCA", "Campo \"VALOR\" não pode ter valor negativo");
    }
    // Recusa que descarta as alterações: uma linha existente volta a ser a gravada
    auto cancelar = [&](const std::string& campo, const std::string& texto) {
        if (indice) linha = d.detalhamentoEntrada.at(*indice);
        throw ErroCampo(campo, texto);
    };
    if (linha.CODDRUMUNICIPIO <= 0 ||
        std::find(municipiosValidos.begin(), municipiosValidos.end(), linha.CODDRUMUNICIPIO) == municipiosValidos.end())
        cancelar("CODDRUMUNICIPIO", "Id. do Município não informado!");
    if (linha.MUDANCAMUNICIPIO == "S" && linha.VALOR != linha.VALORMUDANCA) linha.VALOR = linha.VALORMUDANCA;
    const bool mudouCodigo = !indice || d.detalhamentoEntrada.at(*indice).CODDRUMUNICIPIO != linha.CODDRUMUNICIPIO;
    if (mudouCodigo)
        for (size_t i = 0; i < d.detalhamentoEntrada.size(); ++i) {
            if (indice && i == *indice) continue;
            if (d.detalhamentoEntrada[i].CODDRUMUNICIPIO == linha.CODDRUMUNICIPIO)
                cancelar("CODDRUMUNICIPIO", "Valor para este Município já foi informado!");
        }
    linha.DOCUMENTO_ID = d.doc.DOCUMENTO_ID;
    if (indice) d.detalhamentoEntrada.at(*indice) = linha;
    else d.detalhamentoEntrada.push_back(linha);
}

namespace {

// O que a gravação do editor faz em memória depois das regras de antes de gravar.
void prepararGravacao(Declaracao& d, int anoCorrente) {
    CriarSecoesQueFaltam(d);
    // O KOV sai dos totais das entradas e saídas: somados antes (subtotais do detalhamento e,
    // nos regimes de débito/crédito, as entradas e saídas que vêm dele, como a consistência
    // os refaz), para que a conta não use totais velhos de quem gravou sem passar pelas
    // páginas (kov-cli, restauração)
    TotaisAntesDeGravar(d);
    if (RegimeCompleto(d.doc)) TotalizarEntradasSaidas(d);
    CalcularKOV(d);
    LimparDadosNaoAplicaveis(d, anoCorrente);
    // A limpeza pode zerar exclusões e seções que entraram na conta do KOV: refeita a conta,
    // o KOV gravado confere com as exclusões gravadas (a consistência não acusa diferença)
    CalcularKOV(d);
    TotaisAntesDeGravar(d);
}

template <class F>
void comMensagemDeChave(F gravar) {
    try {
        gravar();
    } catch (const fb::ErroBanco& e) {
        const std::string texto = MensagemChaveRepetida(e.what());
        if (texto.empty()) throw;
        throw ErroSistema(texto);
    }
}

}  // namespace

void SalvarDeclaracao(fb::Conexao& c, Declaracao& d, const Contribuinte& contribuinte, int anoCorrente,
                      const std::string& anoExercicio) {
    AntesDeGravarDocumento(c, d, contribuinte, anoCorrente, anoExercicio);
    prepararGravacao(d, anoCorrente);
    comMensagemDeChave([&] { GravarDeclaracao(c, d); });
}

void SalvarDeclaracao(fb::Transacao& tr, fb::Conexao& c, Declaracao& d, const Contribuinte& contribuinte,
                      int anoCorrente, const std::string& anoExercicio) {
    if (d.doc.DOCUMENTO_ID <= 0) d.doc.DOCUMENTO_ID = ProximaChaveDocumentoLivre(tr);
    AntesDeGravarDocumento(c, d, contribuinte, anoCorrente, anoExercicio);
    prepararGravacao(d, anoCorrente);
    comMensagemDeChave([&] { EscreverDeclaracao(tr, d); });
}

std::string MensagemChaveRepetida(const std::string& erro) {
    if (erro.find("PK_GIENTRADA") != std::string::npos || erro.find("PK_GISAIDAS") != std::string::npos)
        return "UF já foi informada!";
    if (erro.find("PK_DETALHAMENTOENTRADA") != std::string::npos) return "Valor para este Município já foi informado!";
    return {};
}

std::vector<LinhaListaDeclaracao> ListarDeclaracoes(fb::Conexao& c, const std::string& ano) {
    auto tr = fb::Transacao::leitura(c);
    std::string colunas;
    for (const auto& col : Documento::colunas()) colunas += "D." + std::string(col.nome) + ", ";
    std::string sql =
        "SELECT " + colunas +
        "C.INSCESTADUAL, C.RAZAOSOCIAL, C.CNPJ, S.DESCRICAO, "
        "CASE WHEN EXISTS (SELECT 1 FROM TRANSMISSAO T WHERE T.DOCUMENTO_ID = D.DOCUMENTO_ID AND "
        "T.TIPOTRANSMISSAO = 'T') THEN 'T' "
        "WHEN EXISTS (SELECT 1 FROM TRANSMISSAO T WHERE T.DOCUMENTO_ID = D.DOCUMENTO_ID AND T.TIPOTRANSMISSAO = 'D') "
        "THEN 'D' "
        "WHEN EXISTS (SELECT 1 FROM TRANSMISSAO T WHERE T.DOCUMENTO_ID = D.DOCUMENTO_ID) THEN '' ELSE 'N' END "
        "FROM DOCUMENTO D INNER JOIN CONTRIBUINTE C ON (C.CONTRIBUINTE_ID = D.CONTRIBUINTE_ID) "
        "LEFT JOIN STATUSDOC S ON S.STATUSDOC_ID = D.STATUS_ID ";
    const bool filtra = ano.find_first_not_of(' ') != std::string::npos;
    if (filtra) sql += "WHERE D.PERIODO = :PERIODO ";
    sql += "ORDER BY C.INSCESTADUAL, D.MESINICIAL, D.MESFINAL";
    fb::Comando q(tr, sql);
    if (filtra) q.param("PERIODO", ano);
    const int n = static_cast<int>(Documento::colunas().size());
    std::vector<LinhaListaDeclaracao> v;
    while (q.proximo()) {
        LinhaListaDeclaracao l;
        l.doc = LerLinha<Documento>(q);
        l.DOCUMENTO_ID = l.doc.DOCUMENTO_ID;
        l.PERIODO = l.doc.PERIODO.value_or(0);
        l.MESINICIAL = l.doc.MESINICIAL.value_or(0);
        l.MESFINAL = l.doc.MESFINAL.value_or(0);
        l.STATUS_ID = l.doc.STATUS_ID.value_or(0);
        l.REGIME_ID = l.doc.REGIME_ID.value_or(0);
        l.INSCESTADUAL = q.coluna(n).texto();
        l.RAZAOSOCIAL = q.coluna(n + 1).texto();
        l.CNPJ = q.coluna(n + 2).texto();
        l.DESCRICAO_STATUS = q.coluna(n + 3).texto();
        l.SITUACAO = q.coluna(n + 4).texto();
        v.push_back(std::move(l));
    }
    return v;
}

}  // namespace kov
