#include "files/untRestauraXmlKOV.h"

#include <fcntl.h>
#include <libxml/tree.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <vector>

#include "data/Cadastros.h"
#include "data/Chaves.h"
#include "data/Codificacao.h"
#include "data/Declaracao.h"
#include "data/Entregas.h"
#include "data/Figuras.h"
#include "data/Parametros.h"
#include "data/RegrasDeclaracao.h"
#include "data/dmPrincipal.h"
#include "data/untUtils.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "platform/PontoParada.h"
#include "files/CifraRSA.h"
#include "files/DocumentoXml.h"
#include "files/MapaArquivo.h"
#include "platform/Interacao.h"

namespace kov {

namespace fs = std::filesystem;

const char* const ARQUIVO_COPIA_DECIFRADA = "decsImport.xml";
const char* const MSG_FORMATO_INVALIDO = "Formato do arquivo inválido!";
const char* const MSG_TIPO_INVALIDO = "Tipo de arquivo inválido!";
const char* const MSG_ERRO_DESCRIPTOGRAFAR = "Erro ao descriptografar o arquivo!";
const char* const MSG_ANO_BASE_DIFERENTE =
    "ATENÇÃO: \r\nDeclaração gerada em ano diferente do ano definido como base.\r\n"
    "Operação de restauração não pode continuar.";

namespace {

const char* const MSG_NAO_SALVOU = "Não foi possível salvar o arquivo.";
const char* const MSG_NAO_ABRIU = "Não foi possível abrir o arquivo!";
const char* const MSG_NAO_APAGOU = "Não foi possível apagar o arquivo!";

// ---- leitura dos elementos ------------------------------------------------------------------

// Elemento pelo caminho "a/b/c" a partir de um nó; nulo quando falta algum.
xmlNode* no(xmlNode* de, const char* caminho) {
    const char* p = caminho;
    while (de && *p) {
        const char* barra = std::strchr(p, '/');
        const std::string nome = barra ? std::string(p, barra) : std::string(p);
        de = FilhoElemento(de, nome.c_str());
        p = barra ? barra + 1 : p + nome.size();
    }
    return de;
}

// Os filhos elemento com o nome, do primeiro ao último.
std::vector<xmlNode*> itens(xmlNode* pai, const char* nome) {
    std::vector<xmlNode*> v;
    for (xmlNode* f = pai ? pai->children : nullptr; f; f = f->next)
        if (f->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(f->name), nome) == 0)
            v.push_back(f);
    return v;
}

// Onde está o elemento, para as mensagens: "/arquivo/dados/documento/prelo/...".
std::string caminhoDoNo(xmlNode* n) {
    xmlChar* p = xmlGetNodePath(n);
    std::string s = p ? reinterpret_cast<const char*>(p) : "";
    xmlFree(p);
    return s;
}

// Texto do elemento filho como está no arquivo; elemento ausente é texto vazio.
std::string lido(xmlNode* pai, const char* caminho) { return TextoElemento(no(pai, caminho)); }
// O mesmo como texto da base.
std::string texto(xmlNode* pai, const char* caminho) { return TextoDaBase(lido(pai, caminho)); }

[[noreturn]] void invalido(xmlNode* pai, const char* caminho, const std::string& valor, const char* esperado) {
    throw ErroSistema("Valor inválido no arquivo em " + caminhoDoNo(no(pai, caminho)) + ": \"" + valor + "\" (" +
                      esperado + ").");
}

Quantia valor(xmlNode* pai, const char* caminho) {
    const std::string t = lido(pai, caminho);
    try {
        return ValorDoArquivo(t);
    } catch (const ErroSistema&) {
        invalido(pai, caminho, t, "valor com vírgula decimal e até duas casas");
    }
}

std::optional<int> inteiro(xmlNode* pai, const char* caminho) {
    const std::string t = Aparar(lido(pai, caminho));
    if (t.empty()) return std::nullopt;
    const size_t inicio = t[0] == '-' ? 1 : 0;
    if (t.size() == inicio || t.size() - inicio > 9 || t.find_first_not_of("0123456789", inicio) != std::string::npos)
        invalido(pai, caminho, t, "número inteiro");
    return std::stoi(t);
}

// Colunas NOT NULL da declaração: um elemento ausente é dito pelo nome, não pelo erro da base.
int obrigatorio(xmlNode* pai, const char* caminho) {
    const std::optional<int> n = inteiro(pai, caminho);
    if (!n) throw ErroSistema("Valor ausente no arquivo: " + std::string(caminho) + ".");
    return *n;
}

std::string indicador(xmlNode* pai, const char* caminho) {
    const std::string t = texto(pai, caminho);
    if (t != "S" && t != "N") invalido(pai, caminho, t, "S ou N");
    return t;
}

template <class L>
void lerValores(xmlNode* pai, L& linha, CamposArquivo<L> campos) {
    for (const auto& [elemento, membro] : campos) linha.*membro = valor(pai, elemento);
}

// "dd/mm/aaaa" de uma entrega; vazio é nulo.
std::optional<fb::Data> data(xmlNode* pai, const char* caminho) {
    const std::string t = Aparar(lido(pai, caminho));
    if (t.empty()) return std::nullopt;
    if (t.size() == 10 && t[2] == '/' && t[5] == '/' && SoNumeros(t.substr(0, 2) + t.substr(3, 2) + t.substr(6))) {
        using namespace std::chrono;
        const year_month_day d{year{std::stoi(t.substr(6))}, month{static_cast<unsigned>(std::stoi(t.substr(3, 2)))},
                               day{static_cast<unsigned>(std::stoi(t.substr(0, 2)))}};
        if (d.ok()) return d;
    }
    invalido(pai, caminho, t, "data dd/mm/aaaa");
}

// CNAEF_ID e DESMEMBRAMENTO de cnaef: o desmembramento são sempre os dois últimos caracteres.
void separarCnaef(const std::string& cnaef, std::string& id, std::string& desmembramento) {
    const size_t corte = cnaef.size() >= 2 ? cnaef.size() - 2 : 0;
    id = cnaef.substr(0, corte);
    desmembramento = cnaef.substr(corte);
}

// Mês ("01" a "12") ou ano de uma data do cabeçalho, pelas posições do formato.
int parteDaData(const std::string& dataTexto, size_t inicio, size_t tamanho, const char* elemento) {
    const std::string parte = dataTexto.size() >= inicio + tamanho ? dataTexto.substr(inicio, tamanho) : "";
    const bool mes = tamanho == 2;
    if (parte.size() == tamanho && SoNumeros(parte)) {
        const int n = std::stoi(parte);
        if (!mes || (n >= 1 && n <= 12)) return n;
    }
    throw ErroSistema(std::string("Período de referência inválido no arquivo: ") + elemento + " \"" + dataTexto +
                      "\".");
}

// ---- cópia de trabalho ------------------------------------------------------------------------

// Grava os bytes só para o dono (o bloco decifrado não fica legível por outros usuários) e
// sem fsync: a cópia vive o tempo de uma restauração.
void gravarCopia(const std::string& caminho, const std::string& bytes) {
    const int fd = ::open(caminho.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) throw ErroSistema(MSG_NAO_SALVOU);
    size_t escritos = 0;
    while (escritos < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + escritos, bytes.size() - escritos);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        escritos += static_cast<size_t>(n);
    }
    if (::close(fd) != 0 || escritos != bytes.size()) throw ErroSistema(MSG_NAO_SALVOU);
}

// Uma restauração por vez em cada instalação: duas (o programa e o kov-cli, ou dois kov-cli)
// usariam a mesma cópia de trabalho, e uma leria a declaração da outra.
class TravaCopia {
public:
    explicit TravaCopia(const std::string& pasta) {
        fd_ = ::open((pasta + ".decsImport.trava").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ < 0) throw ErroSistema(MSG_NAO_SALVOU);
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~TravaCopia() { ::close(fd_); }  // fechar solta a trava
    TravaCopia(const TravaCopia&) = delete;
    TravaCopia& operator=(const TravaCopia&) = delete;

private:
    int fd_ = -1;
};

// Apaga a cópia de trabalho em qualquer saída; apagar() diz quando não conseguiu.
class CopiaDeTrabalho {
public:
    explicit CopiaDeTrabalho(std::string caminho) : caminho_(std::move(caminho)) {}
    ~CopiaDeTrabalho() {
        std::error_code ec;
        fs::remove(caminho_, ec);
    }
    CopiaDeTrabalho(const CopiaDeTrabalho&) = delete;
    CopiaDeTrabalho& operator=(const CopiaDeTrabalho&) = delete;
    const std::string& caminho() const { return caminho_; }
    void apagar() {
        std::error_code ec;
        fs::remove(caminho_, ec);
        if (ec || fs::exists(fs::symlink_status(caminho_, ec))) throw ErroSistema(MSG_NAO_APAGOU);
    }

private:
    std::string caminho_;
};

// ---- a restauração de um arquivo --------------------------------------------------------------

class Restauracao {
public:
    Restauracao(BaseRestauracao& base, Interacao& ui, int anoCorrente) : base_(base), ui_(ui), anoCorrente_(anoCorrente) {}

    void ImportarContribuinte(xmlNode* contribuinte);
    int ImportarDocumento(xmlNode* documento, xmlNode* cabecalho);
    // Descarta o que estava em edição: a declaração em memória e as entregas lidas.
    void CancelarEdicoes();

private:
    void ImportarPrelo(xmlNode* prelo, const std::string& versao, xmlNode* documento);
    void ImportarKOV(xmlNode* kov);
    void ImportarGI(xmlNode* gi);
    void ImportarEntregas(xmlNode* entregas);

    BaseRestauracao& base_;
    Interacao& ui_;
    int anoCorrente_;
    std::optional<Declaracao> d_;
    std::vector<Entrega> gravacoesAntes_;  // as entregas da declaração antes da restauração
};

void Restauracao::ImportarContribuinte(xmlNode* ct) {
    try {
        const std::string ie = texto(ct, "ie_contribuinte");
        if (!base_.contribuintePorIE(ie).empty()) return;
        Contribuinte c = NovoContribuinte();  // UF QZ e responsável "Não atribuído" (0)
        c.INSCESTADUAL = ie;
        c.RAZAOSOCIAL = texto(ct, "razao_social");
        separarCnaef(texto(ct, "cnaef"), c.CNAEF_ID, c.DESMEMBRAMENTO);
        c.CODDRUMUNICIPIO = inteiro(ct, "municipio_dru");
        if (const std::string uf = texto(ct, "uf"); !uf.empty()) c.UF_ID = uf;
        c.TIPOCONTRIBUINTE_ID = inteiro(ct, "tipo_contribuinte");
        c.CEP = "00000000";
        // O arquivo não traz o CNPJ nem o responsável: ficam vazio e 0, que o cadastro (CNPJ
        // obrigatório) e a consistência (E037) pedem para completar.
        c.CNPJ.clear();
        base_.inserirContribuinte(c);
    } catch (const std::exception& e) {
        // A restauração segue; sem o contribuinte, a declaração é recusada adiante
        ui_.mensagem(TipoMensagem::Erro, "Erro", e.what());
    }
}

int Restauracao::ImportarDocumento(xmlNode* documento, xmlNode* cabecalho) {
    const std::string dataFinal = lido(cabecalho, "periodo_referencia/data_final");
    const std::string dataInicial = lido(cabecalho, "periodo_referencia/data_inicial");
    const int mesFinal = parteDaData(dataFinal, 3, 2, "data_final");
    const int ano = parteDaData(dataFinal, 6, 4, "data_final");
    const int mesInicial = parteDaData(dataInicial, 3, 2, "data_inicial");
    if (mesInicial > mesFinal)
        throw ErroSistema("Período de referência inválido no arquivo: mês inicial " + std::to_string(mesInicial) +
                          " depois do mês final " + std::to_string(mesFinal) + ".");
    const std::string anoTexto = dataFinal.substr(6, 4);
    const std::string versao = lido(cabecalho, "versao_programa_gerador");
    const bool primeiraGeracao = PrimeiraGeracaoFormato(versao);

    const std::string ie = texto(documento, "ie");
    const std::string contribuinte = base_.contribuintePorIE(ie);
    if (contribuinte.empty())
        throw ErroSistema("Contribuinte de inscrição estadual " + ie +
                          " não cadastrado: a declaração do arquivo não pode ser restaurada.");
    const int contribuinteId = std::stoi(contribuinte);
    const std::string anoExercicio = base_.anoExercicio();

    // A declaração do mesmo contribuinte, ano e meses é substituída e mantém a chave
    const std::optional<int> existente = base_.declaracaoDoPeriodo(contribuinteId, ano, mesInicial, mesFinal);
    if (existente) {
        d_ = base_.carregarDeclaracao(*existente);
    } else {
        const int chave = base_.novaChaveDeclaracao();
        d_ = NovaDeclaracao(anoExercicio);
        d_->doc.DOCUMENTO_ID = chave;
        if (anoExercicio != anoTexto) throw ErroSistema(MSG_ANO_BASE_DIFERENTE);
    }
    Declaracao& d = *d_;
    Documento& doc = d.doc;
    doc.PERIODO = ano;
    doc.MESINICIAL = mesInicial;
    doc.MESFINAL = mesFinal;
    doc.CONTRIBUINTE_ID = contribuinteId;
    doc.TIPORECOLHIMENTO_ID = inteiro(documento, "apuracao");
    if (primeiraGeracao) {
        doc.REGIME_ID = obrigatorio(documento, "regime_recolhimento");
    } else {
        const std::string codigo = Aparar(lido(documento, "regime_recolhimento"));
        const std::string regime = base_.regimeDoCodigo(codigo);
        if (regime.empty())
            throw ErroSistema("Regime de recolhimento desconhecido no arquivo: código \"" + codigo + "\".");
        doc.REGIME_ID = std::stoi(regime);
    }
    doc.TIPOCONTRIBUINTE_ID = obrigatorio(documento, "tipo_contribuinte");
    doc.CODDRUMUNICIPIO = obrigatorio(documento, "municipio_dru");
    separarCnaef(texto(documento, "cnaef"), doc.CNAEF_ID, doc.DESMEMBRAMENTO);
    doc.ESCRITACONTABIL = indicador(documento, "escrita_contabil");
    doc.BAIXA = indicador(documento, "baixa");
    doc.SUBSTITUICAO = indicador(cabecalho, "substituicao/indicativo_substituicao");
    doc.MUDANCAMUNICIPIO = indicador(documento, "mudanca_municipio");
    if (!texto(documento, "mudanca_municipio_atual").empty())
        doc.MUDANCAMUNICIPIOANOCORRENTE = indicador(documento, "mudanca_municipio_atual");

    // As regras da gravação do cabeçalho: ano corrente, apuração, cópias do contribuinte e as
    // seções que faltam (todas as de uma linha e os seis tipos de operação)
    AntesDeGravarDocumento(d, base_.carregarContribuinte(contribuinteId), anoCorrente_, anoExercicio);
    if (!doc.TIPORECOLHIMENTO_ID) throw ErroSistema("Valor ausente no arquivo: apuracao.");
    CriarSecoesQueFaltam(d);

    ImportarPrelo(no(documento, "prelo"), versao, documento);
    ImportarGI(no(documento, "gi"));
    ImportarKOV(no(documento, "kov"));
    // Os totais gravados de cada linha, como antes de salvá-la
    TotaisAntesDeGravar(d);
    base_.escreverDeclaracao(d);
    if (!primeiraGeracao) ImportarEntregas(no(documento, "entregas"));
    return doc.DOCUMENTO_ID;
}

void Restauracao::ImportarPrelo(xmlNode* prelo, const std::string& versao, xmlNode* documento) {
    Declaracao& d = *d_;
    lerValores(no(prelo, "estoque/valor_inicial"), *d.estoque, CamposArquivo<Estoque>(ESTOQUE_INICIAL));
    lerValores(no(prelo, "estoque/valor_final"), *d.estoque, CamposArquivo<Estoque>(ESTOQUE_FINAL));
    lerValores(no(prelo, "despesas_operacionais"), *d.despesas, CamposArquivo<DespesasOperacionais>(DESPESAS));
    lerValores(no(prelo, "demonstracao_resultado_operacional"), *d.resultado,
               CamposArquivo<ResultadoOperacional>(RESULTADO));

    // O total do valor contábil vai para VCTOTAL nos regimes de débito e crédito e para
    // VCTOTALSIMPLES nos demais. Na primeira geração regime_recolhimento é o próprio REGIME_ID
    // (1 e 2 de débito e crédito na época); nas outras vale o regime do código.
    const bool debitoCredito = PrimeiraGeracaoFormato(versao) ? obrigatorio(documento, "regime_recolhimento") <= 2
                                                              : RegimeCompleto(d.doc);
    auto entradaOuSaida = [&](auto& secao, xmlNode* grupo, const auto& proprias) {
        using L = std::decay_t<decltype(secao)>;
        const Quantia total = valor(grupo, "valor_contabil_total/total");
        secao.VCTOTAL = debitoCredito ? total : Dinheiro{};
        secao.VCTOTALSIMPLES = debitoCredito ? Dinheiro{} : total;
        lerValores(no(grupo, "valor_contabil_total"), secao, CamposArquivo<L>(VALOR_CONTABIL_PARCELAS<L>));
        lerValores(grupo, secao, CamposArquivo<L>(TOTAIS_ENTRADA_SAIDA<L>));
        lerValores(grupo, secao, CamposArquivo<L>(proprias));
    };
    xmlNode* entrada = no(prelo, "entrada");
    xmlNode* saida = no(prelo, "saida");
    entradaOuSaida(*d.entrada, entrada, PROPRIAS_ENTRADA);
    entradaOuSaida(*d.saida, saida, PROPRIAS_SAIDA);
    for (int tipo = 1; tipo <= 6; ++tipo) {
        DetalhamentoES* linha = d.detalhamento(tipo);
        if (!linha) continue;
        xmlNode* grupo = no(tipo <= 3 ? entrada : saida, GRUPOS_OPERACAO[(tipo - 1) % 3]);
        for (size_t m = 0; m < std::size(MEDIDAS_OPERACAO); ++m) {
            xmlNode* medida = no(grupo, MEDIDAS_OPERACAO[m].elemento);
            for (size_t e = 0; e < std::size(ESPECIES_OPERACAO); ++e)
                (*linha).*ColunaOperacao(m, e) = valor(medida, ESPECIES_OPERACAO[e].elemento);
        }
    }
}

void Restauracao::ImportarKOV(xmlNode* kov) {
    Declaracao& d = *d_;
    ExclusoesKov& x = *d.exclusoes;
    // As cinco espécies que a base juntou em "outras" voltam somadas a ela; as suas colunas
    // não são escritas.
    auto exclusoes = [&](xmlNode* lado, CamposArquivo<ExclusoesKov> campos, Quantia ExclusoesKov::*outras) {
        auto parcela = [&](const char* elemento) {
            try {
                return TextoParaValor(lido(lado, elemento));
            } catch (const ErroSistema&) {
                invalido(lado, elemento, lido(lado, elemento), "valor com vírgula decimal e até duas casas");
            }
        };
        Dinheiro soma = parcela("outras");
        for (const char* dobrada : EXCLUSOES_DOBRADAS) soma += parcela(dobrada);
        for (const auto& [elemento, membro] : campos) {
            bool somada = std::strcmp(elemento, "outras") == 0;
            for (const char* e : EXCLUSOES_DOBRADAS) somada = somada || std::strcmp(elemento, e) == 0;
            if (!somada) x.*membro = valor(lado, elemento);
        }
        x.*outras = soma;
    };
    exclusoes(no(kov, "exclusoes/entrada"), EXCLUSOES_ENTRADA, &ExclusoesKov::ENTOUTRAS);
    exclusoes(no(kov, "exclusoes/saida"), EXCLUSOES_SAIDA, &ExclusoesKov::SAIOUTRAS);

    xmlNode* tessiva = no(kov, "tessiva");
    lerValores(tessiva, *d.kov, CamposArquivo<Kov>(KOV_INICIO));
    lerValores(tessiva, *d.kov, CamposArquivo<Kov>(KOV_FIM));
    d.kov->OUTRASENTRADAS = valor(tessiva, "outras_entradas/total");

    // Outras entradas por município: a linha do município é alterada, ou incluída, pelas
    // regras de gravação da linha (valor negativo, município existente, valor da mudança)
    const std::vector<int> municipios = base_.municipios();
    for (xmlNode* item : itens(no(tessiva, "outras_entradas/detalhamento"), "valor_detalhamento")) {
        const int codigo = inteiro(item, "municipio_dru").value_or(0);
        std::optional<size_t> indice;
        for (size_t i = 0; i < d.detalhamentoEntrada.size() && !indice; ++i)
            if (d.detalhamentoEntrada[i].CODDRUMUNICIPIO == codigo) indice = i;
        DetalhamentoEntrada linha = indice ? d.detalhamentoEntrada[*indice] : NovaLinhaDetalhamentoEntrada("N");
        linha.CODDRUMUNICIPIO = codigo;
        linha.VALOR = valor(item, "valor");
        linha.MUDANCAMUNICIPIO = texto(item, "mudancamunicipio");
        linha.VALORMUDANCA = valor(item, "valormudanca");
        GravarLinhaDetalhamentoEntrada(d, linha, indice, municipios);
    }
}

void Restauracao::ImportarGI(xmlNode* gi) {
    Declaracao& d = *d_;
    auto linhas = [&](auto& lista, xmlNode* detalhamento, const char* item, const auto& campos, auto gravar) {
        using L = typename std::decay_t<decltype(lista)>::value_type;
        for (xmlNode* n : itens(detalhamento, item)) {
            const std::string uf = texto(n, "uf");
            std::optional<size_t> indice;
            for (size_t i = 0; i < lista.size() && !indice; ++i)
                if (lista[i].UF_ID == uf) indice = i;
            L linha{};
            if (indice) {
                linha = lista[*indice];
            } else {
                ZerarCampos(linha);
                linha.UF_ID = uf;
            }
            lerValores(n, linha, CamposArquivo<L>(campos));
            gravar(d, linha, indice, ui_);
        }
    };
    linhas(d.giEntrada, no(gi, "entrada/detalhamento"), "valor_detalhe_entradas_gi", GI_ENTRADA,
           GravarLinhaGIEntrada);
    linhas(d.giSaidas, no(gi, "saida/detalhamento"), "valor_detalhe_saidas_gi", GI_SAIDAS, GravarLinhaGISaidas);
}

void Restauracao::ImportarEntregas(xmlNode* entregas) {
    const int chave = d_->doc.DOCUMENTO_ID;
    // Gravações sem protocolo: cada item casa com uma linha desta declaração que já estava na
    // base com o mesmo tipo, data e hora (restaurar o mesmo arquivo de novo não as duplica) e
    // nunca com a linha de outra declaração.
    gravacoesAntes_ = base_.entregas(chave);
    std::set<int> usadas;
    for (xmlNode* item : itens(entregas, "item")) {
        Entrega e;
        e.DATA = data(item, "data");
        e.HORA = texto(item, "hora");
        e.PROTOCOLO = texto(item, "protocolo");
        e.TIPOTRANSMISSAO = texto(item, "tipotransmissao");
        e.RECIBO = ReciboGuardado(lido(item, "recibo"));
        e.STATUS = inteiro(item, "status");
        if (!e.PROTOCOLO.empty()) {
            if (auto existente = base_.entregaDoProtocolo(e.PROTOCOLO)) e.TRANSMISSAO_ID = existente->TRANSMISSAO_ID;
        } else {
            for (const Entrega& antes : gravacoesAntes_)
                if (antes.PROTOCOLO.empty() && !usadas.count(antes.TRANSMISSAO_ID) &&
                    antes.TIPOTRANSMISSAO == e.TIPOTRANSMISSAO && antes.DATA == e.DATA && antes.HORA == e.HORA) {
                    e.TRANSMISSAO_ID = antes.TRANSMISSAO_ID;
                    break;
                }
        }
        e.DOCUMENTO_ID = chave;
        base_.gravarEntrega(e);
        usadas.insert(e.TRANSMISSAO_ID);
    }
}

void Restauracao::CancelarEdicoes() {
    d_.reset();
    gravacoesAntes_.clear();
}

// A base de dados do programa, numa transação (read committed) aberta na construção.
class BaseFirebird : public BaseRestauracao {
public:
    explicit BaseFirebird(fb::Conexao& c) : conexao_(c), reuso_(c), tr_(c) {}

    std::string contribuintePorIE(const std::string& ie) override { return ContribuintePorIE(tr_, ie); }
    void inserirContribuinte(Contribuinte& c) override { InserirContribuinte(tr_, c); }
    Contribuinte carregarContribuinte(int id) override { return CarregarContribuinte(tr_, id); }
    std::string anoExercicio() override {
        return Aparar(LerParametroExistente(conexao_, "ANOEXERCICIO").value_or(""));
    }
    std::optional<int> declaracaoDoPeriodo(int contribuinte, int ano, int mesInicial, int mesFinal) override {
        fb::Comando q(tr_,
                      "SELECT FIRST 1 DOCUMENTO_ID FROM DOCUMENTO WHERE CONTRIBUINTE_ID = :C AND PERIODO = :P "
                      "AND MESINICIAL = :MI AND MESFINAL = :MF ORDER BY DOCUMENTO_ID");
        q.param("C", contribuinte).param("P", ano).param("MI", mesInicial).param("MF", mesFinal);
        if (q.proximo()) return static_cast<int>(q.coluna(0).inteiro());
        return std::nullopt;
    }
    Declaracao carregarDeclaracao(int id) override { return CarregarDeclaracao(tr_, id); }
    int novaChaveDeclaracao() override { return ProximaChaveDocumentoLivre(tr_); }
    std::string regimeDoCodigo(const std::string& codigo) override { return RegimeDoCodigo(tr_, codigo); }
    std::vector<int> municipios() override {
        std::vector<int> v;
        fb::Comando q(tr_, "SELECT CODDRUMUNICIPIO FROM MUNICIPIO");
        while (q.proximo()) v.push_back(static_cast<int>(q.coluna(0).inteiro()));
        return v;
    }
    void escreverDeclaracao(Declaracao& d) override { EscreverDeclaracao(tr_, d); }
    std::vector<Entrega> entregas(int documento) override { return LerEntregas(tr_, documento); }
    std::optional<Entrega> entregaDoProtocolo(const std::string& p) override { return EntregaDoProtocolo(tr_, p); }
    void gravarEntrega(Entrega& e) override { GravarEntrega(tr_, e); }
    void confirmar() override { tr_.commit(); }
    void desfazer() override { tr_.rollback(); }

private:
    fb::Conexao& conexao_;
    // As entregas repetem os mesmos comandos; quem restaura vários arquivos pode manter um
    // reuso ativo por todo o lote, e este então é o dele
    fb::ReusoDeComandos reuso_;
    fb::Transacao tr_;
};

}  // namespace

ContextoRestauracao ContextoRestauracaoDoModulo(Tdm& dm) {
    return {dm.MainConnection, dm.ui(), dm.diretorioPrograma(), AnoAtual()};
}

std::string TextoCifradoDoArquivo(const DocumentoXml& doc) {
    xmlNode* dados = ProcurarNo("dados", doc.raiz());
    if (!dados) throw ErroSistema(MSG_TIPO_INVALIDO);
    xmlNode* primeiro = dados->children;
    bool temElementos = false;
    if (primeiro && primeiro->type == XML_ELEMENT_NODE)
        for (xmlNode* f = primeiro->children; f && !temElementos; f = f->next) temElementos = f->type == XML_ELEMENT_NODE;
    if (!primeiro || temElementos) throw ErroSistema(MSG_ERRO_DESCRIPTOGRAFAR);
    const std::string t = primeiro->type == XML_ELEMENT_NODE
                              ? TextoElemento(primeiro)
                              : std::string(primeiro->content ? reinterpret_cast<const char*>(primeiro->content) : "");
    return Aparar(t);
}

std::string MontarArquivoDecifrado(DocumentoXml& origem, const std::string& linhas, const std::string& pasta) {
    const std::string caminho = IncluirBarra(pasta) + ARQUIVO_COPIA_DECIFRADA;
    // 1. O documento sem dados, gravado como cópia de trabalho
    if (xmlNode* dados = FilhoElemento(origem.raiz(), "dados")) {
        xmlUnlinkNode(dados);
        xmlFreeNode(dados);
    }
    gravarCopia(caminho, SerializarDocumento(origem));
    origem = DocumentoXml();
    // 2. Relido como texto e cortado logo depois do fim do cabeçalho
    std::string texto;
    try {
        texto = LerArquivoBinario(caminho);
    } catch (const std::exception&) {
        throw ErroSistema(MSG_NAO_ABRIU);
    }
    const size_t fim = texto.find("</cabecalho>");
    texto.resize(fim == std::string::npos ? 0 : fim + std::strlen("</cabecalho>"));
    // 3. O bloco decifrado no lugar de dados, cada linha com CR LF
    texto.reserve(texto.size() + linhas.size() + 32);
    texto += "\r\n<dados>";
    texto += linhas;
    texto += "\r\n</dados>\r\n</arquivo>\r\n";
    gravarCopia(caminho, texto);
    return caminho;
}

std::string RegimeDoCodigo(fb::Transacao& tr, std::string codigo) {
    if (codigo == "53") codigo = "52";
    else if (codigo == "55") codigo = "54";
    try {
        // O código é INTEGER na tabela: um texto que não é número não é código de regime
        if (codigo.empty() || codigo.size() > 9 || !SoNumeros(codigo)) return {};
        fb::Comando q(tr, "select regime_id from regime where codigo = :sCodigo");
        q.param("sCodigo", std::stoi(codigo));
        if (!q.proximo()) return {};
        return q.coluna(0).texto();
    } catch (const std::exception& e) {
        throw ErroSistema(e.what());
    }
}

std::string ContribuintePorIE(fb::Transacao& tr, const std::string& inscricao) {
    // Uma inscrição que a coluna não comporta não está gravada (e o servidor recusaria o parâmetro)
    if (ContarCaracteres(inscricao) > 13 || !CabeEmWin1252(inscricao)) return {};
    fb::Comando q(tr, "SELECT FIRST 1 CONTRIBUINTE_ID FROM CONTRIBUINTE WHERE INSCESTADUAL = :IE ORDER BY CONTRIBUINTE_ID");
    q.param("IE", inscricao);
    return q.proximo() ? q.coluna(0).texto() : std::string();
}

Quantia ValorDoArquivo(const std::string& original) {
    const std::string t = Aparar(original);
    if (t.empty()) return std::nullopt;
    size_t i = t[0] == '-' || t[0] == '+' ? 1 : 0;
    const bool negativo = t[0] == '-';
    const size_t virgula = t.find(',');
    const std::string inteira = t.substr(i, virgula == std::string::npos ? std::string::npos : virgula - i);
    const std::string fracao = virgula == std::string::npos ? "" : t.substr(virgula + 1);
    // NUMERIC(15,2): até 13 dígitos inteiros (zeros à esquerda não contam)
    const size_t significativos = inteira.size() - std::min(inteira.find_first_not_of('0'), inteira.size());
    if (inteira.empty() || !SoNumeros(inteira) || significativos > 13 ||
        (virgula != std::string::npos && (fracao.empty() || fracao.size() > 2 || !SoNumeros(fracao))))
        throw ErroSistema("\"" + original + "\" não é um valor válido.");
    int64_t centavos = 0;
    for (char c : inteira) centavos = centavos * 10 + (c - '0');
    centavos *= 100;
    if (!fracao.empty()) centavos += (fracao[0] - '0') * 10 + (fracao.size() == 2 ? fracao[1] - '0' : 0);
    return Dinheiro::deCentavos(negativo ? -centavos : centavos);
}

Dinheiro TextoParaValor(const std::string& texto) { return v(ValorDoArquivo(texto)); }

std::string TextoDaBase(const std::string& s) {
    // Só U+0080..U+009F (C2 80..C2 9F em UTF-8) mudam; o resto já é o texto da base
    if (s.find('\xC2') == std::string::npos) return s;
    std::string r;
    r.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char seguinte = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
        if (s[i] == '\xC2' && seguinte >= 0x80 && seguinte <= 0x9F) {
            r += ConverterTexto(std::string(1, static_cast<char>(seguinte)), "WINDOWS-1252", "UTF-8");
            ++i;
        } else {
            r += s[i];
        }
    }
    return r;
}

std::string ReciboGuardado(const std::string& s) {
    std::string r;
    r.reserve(s.size() + s.size() / 32);
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        char byte = s[i];
        if (c >= 0xC0 && c < 0xE0 && i + 1 < s.size()) {
            // U+0080..U+07FF: os de até U+00FF são os bytes do recibo; acima, sem lugar em 8 bits
            const unsigned codigo = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(s[++i]) & 0x3Fu);
            byte = codigo <= 0xFF ? static_cast<char>(codigo) : '?';
        } else if (c >= 0xE0) {
            i += c >= 0xF0 ? 3 : 2;
            byte = '?';
        }
        if (byte == '\n' && (r.empty() || r.back() != '\r')) r += '\r';
        r += byte;
    }
    return r;
}

std::optional<int> ImportarArquivoDeclaracao(const ContextoRestauracao& ctx, const std::string& caminho) {
    BaseFirebird base(ctx.conexao);
    return ImportarArquivoDeclaracao(base, ctx.ui, ctx.pastaPrograma, ctx.anoCorrente, caminho);
}

std::optional<int> ImportarArquivoDeclaracao(BaseRestauracao& base, Interacao& ui, const std::string& pastaPrograma,
                                             int anoCorrente, const std::string& caminho) {
    auto erro = [&](const std::string& texto) { ui.mensagem(TipoMensagem::Erro, "Erro", texto); };

    // 1 a 3: o arquivo, o bloco de dados e a decifração
    DocumentoXml origem;
    try {
        origem = LerArquivoXml(caminho);
    } catch (const std::exception&) {
        erro(MSG_FORMATO_INVALIDO);
        return std::nullopt;
    }
    std::string cifrado;
    try {
        cifrado = TextoCifradoDoArquivo(origem);
    } catch (const ErroSistema& e) {
        erro(e.what());
        return std::nullopt;
    }
    // Uma falha da decifração já foi mostrada pela caixa da cifra; sem os dados, nada mais
    // pode ser restaurado (e seguir só mostraria erros das partes que faltam).
    const std::string claro = DecifrarTexto(cifrado, pastaPrograma, ui);
    if (claro.empty()) return std::nullopt;

    // 4 e 5: a cópia de trabalho decifrada
    const std::string pastaTemp = IncluirBarra(pastaPrograma) + "temp/";
    std::error_code ec;
    fs::create_directories(pastaTemp, ec);
    TravaCopia trava(pastaTemp);
    CopiaDeTrabalho copia(IncluirBarra(pastaTemp) + ARQUIVO_COPIA_DECIFRADA);
    MontarArquivoDecifrado(origem, claro, pastaTemp);
    DocumentoXml trabalho;
    try {
        trabalho = LerArquivoXml(copia.caminho());
    } catch (const std::exception&) {
        erro(MSG_FORMATO_INVALIDO);
        copia.apagar();
        return std::nullopt;
    }

    // 6 a 10: tudo numa transação; qualquer falha desfaz o que foi escrito
    std::optional<int> chave;
    {
        Restauracao r(base, ui, anoCorrente);
        try {
            xmlNode* raiz = trabalho.raiz();
            r.ImportarContribuinte(no(raiz, "dados/contribuinte"));
            chave = r.ImportarDocumento(no(raiz, "dados/documento"), no(raiz, "cabecalho"));
            PontoDeParadaDurante("restauracao-declaracao");
            base.confirmar();
        } catch (const Abortar&) {
            chave.reset();  // a razão já foi mostrada
        } catch (const std::exception& e) {
            const std::string texto = e.what();
            if (texto.find("aborted") == std::string::npos) erro(texto);
            chave.reset();
        }
        if (!chave) {
            base.desfazer();
            r.CancelarEdicoes();
        }
    }
    // 11
    copia.apagar();
    return chave;
}

std::optional<int> ImportarArquivoDeclaracao(Tdm& dm, const std::string& caminho) {
    return ImportarArquivoDeclaracao(ContextoRestauracaoDoModulo(dm), caminho);
}

}  // namespace kov
