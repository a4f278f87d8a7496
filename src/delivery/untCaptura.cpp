#include "delivery/untCaptura.h"

#include <libxml/tree.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "data/Cadastros.h"
#include "data/Declaracao.h"
#include "data/ReciboTexto.h"
#include "data/dmPrincipal.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"
#include "data/untUtils.h"
#include "delivery/untEntrega.h"
#include "files/DocumentoXml.h"
#include "files/untManipula_XML.h"
#include "files/untRestauraXmlKOV.h"
#include "platform/Interacao.h"

namespace fs = std::filesystem;

namespace kov {

const char* const MSG_SEM_PROTOCOLOS = "O caminho especificado não contém protocolos!";
const char* const MSG_NADA_A_IMPORTAR = "Não existe protocolo a ser importado!";
const char* const MSG_JA_TRANSMITIDA = "Esta declaração já foi transmitida e não poderá ser atualizada!";
const char* const MSG_SEM_HISTORICO = "O histórico de entrega desta declaração não foi encontrado!";
const char* const MSG_CAPTURADOS_DISPONIVEIS =
    "Os recibos com os protocolos capturados estão disponíveis para impressão na tela de declarações.";
const char* const MSG_CAPTURAR_ANTES =
    "O protocolo selecionado ainda não foi capturado e não poderá ser impresso!\rDeseja capturá-lo agora?";
const char* const TITULOS_GRADE_PROTOCOLOS[6] = {"Nº", "I.E.", "Período", "Protocolo", "Data Entrega", "Hora Entrega"};

namespace {

// Caracteres 'de' a 'ate' (contados a partir de 1) da linha; o que falta fica vazio. A linha
// é montada em caracteres (CompletarDireita), e um protocolo com acento não desloca as colunas.
std::string trecho(const std::string& linha, size_t de, size_t ate) {
    auto inicioDoCaractere = [&](size_t n) {  // byte onde começa o caractere n (a partir de 0)
        size_t contados = 0;
        for (size_t i = 0; i < linha.size(); ++i)
            if ((static_cast<unsigned char>(linha[i]) & 0xC0) != 0x80 && contados++ == n) return i;
        return linha.size();
    };
    const size_t inicio = inicioDoCaractere(de - 1);
    return linha.substr(inicio, inicioDoCaractere(ate) - inicio);
}

int numero(const std::string& t) {
    if (t.empty() || !SoNumeros(t)) return 0;
    return std::stoi(t);
}

// Mês e ano de um texto "dd/mm/aaaa"; nada quando não é uma data.
bool mesAno(const std::string& data, int& mes, int& ano) {
    if (!DataValida(data)) return false;
    mes = numero(data.substr(3, 2));
    ano = numero(data.substr(6, 4));
    return true;
}

bool ehArquivoProtocolo(const fs::directory_entry& e) {
    std::error_code ec;
    if (!e.is_regular_file(ec)) return false;
    const std::string nome = e.path().filename().string();
    if (nome.size() < 7) return false;
    std::string inicio = nome.substr(0, 3), fim = nome.substr(nome.size() - 4);
    for (char& c : inicio) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : fim) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return inicio == "KOV" && fim == ".xml";
}

const char* const TITULO_ERRO = "Erro";

}  // namespace

std::string LinhaProtocolo(const std::string& inscricao, const std::string& dataInicial,
                           const std::string& dataFinal, const std::string& numero, const std::string& data,
                           const std::string& hora) {
    auto mesAnoTexto = [](const std::string& d) { return CompletarDireita(trecho(d, 4, 10), " ", 7); };
    return CompletarDireita(inscricao, " ", 13) + mesAnoTexto(dataInicial) + " a " + mesAnoTexto(dataFinal) +
           CompletarDireita(numero, " ", 17) + CompletarDireita(data, " ", 10) + CompletarDireita(hora, " ", 8);
}

std::optional<CabecalhoDevolvido> ProtocoloDoArquivo(xmlNode* raiz) {
    xmlNode* cab = FilhoElemento(raiz, "cabecalho");
    xmlNode* protocolo = FilhoElemento(cab, "protocolo");
    CabecalhoDevolvido p;
    p.inscricao = Aparar(TextoNo("identificador", cab));
    p.dataInicial = Aparar(TextoNo("data_inicial", cab));
    p.dataFinal = Aparar(TextoNo("data_final", cab));
    p.numero = CompletarDireita(protocolo ? TextoNo("numero", protocolo) : "", " ", 17);
    p.data = protocolo ? TextoNo("data", protocolo) : "";
    p.hora = protocolo ? TextoNo("hora", protocolo) : "";
    int anoFinal = 0;
    if (!mesAno(p.dataInicial, p.mesInicial, p.ano) || !mesAno(p.dataFinal, p.mesFinal, anoFinal)) return std::nullopt;
    if (ContarCaracteres(Aparar(p.numero)) != 17 || !DataValida(p.data) || !HoraValida(p.hora)) return std::nullopt;
    return p;
}

CamposProtocolo CamposDaLinha(const std::string& linha) {
    CamposProtocolo c;
    c.inscricao = Aparar(trecho(linha, 1, 13));
    c.periodo = trecho(linha, 14, 30);
    c.numero = Aparar(trecho(linha, 31, 47));
    c.data = trecho(linha, 48, 57);
    c.hora = trecho(linha, 58, 65);
    c.mesInicial = numero(trecho(linha, 14, 15));
    c.ano = numero(trecho(linha, 17, 20));
    c.mesFinal = numero(trecho(linha, 24, 25));
    return c;
}

std::vector<std::string> ColunasGradeProtocolo(int n, const std::string& linha) {
    return {std::to_string(n),       FormatarIE(trecho(linha, 1, 13)), trecho(linha, 14, 30),
            trecho(linha, 31, 47),   trecho(linha, 48, 57),             trecho(linha, 58, 65)};
}

CapturaProtocolos::CapturaProtocolos(Tdm& dm, ModoCaptura modo, std::function<void(const Entrega&)> imprimir)
    : dm_(dm), modo_(modo), imprimir_(std::move(imprimir)) {}

std::vector<std::vector<std::string>> CapturaProtocolos::grade() const {
    std::vector<std::vector<std::string>> g;
    for (size_t i = 0; i < encontradas_.size(); ++i)
        g.push_back(ColunasGradeProtocolo(static_cast<int>(i) + 1, encontradas_[i]));
    return g;
}

void CapturaProtocolos::OrdenarEncontradas() { std::sort(encontradas_.begin(), encontradas_.end()); }

bool CapturaProtocolos::CarregarProtocolos() {
    Interacao& ui = dm_.ui();
    for (;;) {
        const std::string pasta = ui.escolherPasta({}, pasta_);
        if (pasta.empty()) return false;
        pasta_ = pasta;
        encontradas_.clear();
        try {
            LerArquivosProtocolo(pasta);
        } catch (const std::exception& e) {
            ui.erro(e.what());
            return false;
        }
        if (!encontradas_.empty()) break;
        ui.erro(MSG_SEM_PROTOCOLOS);
    }
    OrdenarEncontradas();
    if (!ConsisteIE(trecho(encontradas_.front(), 1, 13), "QZ", &ui)) {
        ui.erro(MSG_SEM_PROTOCOLOS);
        return false;
    }
    selecionado_ = 0;
    return true;
}

void CapturaProtocolos::LerArquivosProtocolo(const std::string& pasta) {
    Interacao& ui = dm_.ui();
    // Cópias de trabalho: os devolvidos nunca são abertos para escrita (podem estar numa
    // mídia só de leitura e devem ficar byte a byte como a administração os mandou). A cópia
    // é lida uma vez; a conferência do verificador e o cabeçalho usam o mesmo documento.
    const fs::path copias = fs::path(IncluirBarra(dm_.diretorioPrograma()) + "temp") / "protocolos";
    std::error_code ec;
    fs::create_directories(copias, ec);
    if (ec) throw ErroSistema(MSG_ERRO_CONFERIR_HASH);
    struct Limpeza {
        fs::path p;
        ~Limpeza() {
            std::error_code e;
            fs::remove_all(p, e);
        }
    } limpeza{copias};

    std::vector<fs::path> arquivos;
    for (fs::directory_iterator it(pasta, ec), fim; !ec && it != fim; it.increment(ec))
        if (ehArquivoProtocolo(*it)) arquivos.push_back(it->path());

    auto tr = fb::Transacao::leitura(dm_.MainConnection);
    for (const auto& arquivo : arquivos) {
        const std::string copia = (copias / arquivo.filename()).string();
        ui.mostrarStatus("Conferindo dados do arquivo " + arquivo.string());
        DocumentoXml doc;
        bool confere = false;
        try {
            fs::copy_file(arquivo, copia, fs::copy_options::overwrite_existing);
            doc = LerArquivoXml(copia);
            confere = VerificadorConfere(doc);
        } catch (const std::exception&) {
            ui.limparStatus();
            throw ErroSistema(MSG_ERRO_CONFERIR_HASH);
        }
        ui.limparStatus();
        if (!confere) {
            ui.mensagem(TipoMensagem::Erro, TITULO_ERRO,
                        "Os dados do arquivo " + IncluirBarra(pasta) + arquivo.filename().string() +
                            " estão inconsistentes!");
            continue;
        }
        const std::optional<CabecalhoDevolvido> p = ProtocoloDoArquivo(doc.raiz());
        if (!p) continue;
        const std::string contribuinte = ContribuintePorIE(tr, p->inscricao);
        if (contribuinte.empty()) continue;
        fb::Comando q(tr,
                      "SELECT FIRST 1 DOCUMENTO_ID FROM DOCUMENTO WHERE CONTRIBUINTE_ID = :C AND PERIODO = :P "
                      "AND MESINICIAL = :MI AND MESFINAL = :MF");
        q.param("C", std::stoi(contribuinte)).param("P", p->ano).param("MI", p->mesInicial).param("MF", p->mesFinal);
        if (!q.proximo()) continue;
        encontradas_.push_back(
            LinhaProtocolo(p->inscricao, p->dataInicial, p->dataFinal, p->numero, p->data, p->hora));
    }
    tr.commit();
}

std::string CapturaProtocolos::linhaSelecionada() const {
    if (selecionado_ < 0 || static_cast<size_t>(selecionado_) >= encontradas_.size()) return {};
    return encontradas_[static_cast<size_t>(selecionado_)];
}

std::optional<int> CapturaProtocolos::declaracaoDaLinha(const std::string& linha) {
    const CamposProtocolo c = CamposDaLinha(linha);
    auto tr = fb::Transacao::leitura(dm_.MainConnection);
    const std::string contribuinte = ContribuintePorIE(tr, c.inscricao);
    std::optional<int> id;
    if (!contribuinte.empty()) {
        fb::Comando q(tr,
                      "SELECT FIRST 1 DOCUMENTO_ID FROM DOCUMENTO WHERE CONTRIBUINTE_ID = :C AND PERIODO = :P "
                      "AND MESINICIAL = :MI AND MESFINAL = :MF ORDER BY DOCUMENTO_ID");
        q.param("C", std::stoi(contribuinte)).param("P", c.ano).param("MI", c.mesInicial).param("MF", c.mesFinal);
        if (q.proximo()) id = static_cast<int>(q.coluna(0).inteiro());
    }
    tr.commit();
    return id;
}

bool CapturaProtocolos::actCapturarExecute() {
    Interacao& ui = dm_.ui();
    if (encontradas_.empty()) {
        ui.erro(MSG_NADA_A_IMPORTAR);
        return false;
    }
    const std::string linha = linhaSelecionada();
    if (!CapturarProtocolo()) return false;
    capturadas_.push_back(linha);
    RedesenharLista();
    ui.mensagem(TipoMensagem::Informacao, "Informação", MSG_CAPTURADOS_DISPONIVEIS);
    return true;
}

bool CapturaProtocolos::CapturarProtocolo() {
    Interacao& ui = dm_.ui();
    const std::string linha = linhaSelecionada();
    if (linha.empty()) return false;
    const CamposProtocolo c = CamposDaLinha(linha);
    ui.mostrarStatus(c.inscricao + " - de " + trecho(linha, 14, 28) + " -  Capturando protocolo");
    struct LimparStatus {
        Interacao& ui;
        ~LimparStatus() { ui.limparStatus(); }
    } limpar{ui};

    const std::optional<int> id = declaracaoDaLinha(linha);
    if (!id) {
        // A declaração saiu da base depois da leitura da pasta
        ui.erro(MSG_SEM_HISTORICO);
        return false;
    }
    const auto nomes = NomesMunicipios(dm_);
    // Leitura, conferência e gravação numa transação: nada fica pela metade
    fb::Transacao tr(dm_.MainConnection);
    std::vector<Entrega> entregas = LerEntregas(tr, *id);
    if (std::any_of(entregas.begin(), entregas.end(), [](const Entrega& e) { return e.TIPOTRANSMISSAO == "T"; })) {
        ui.mensagem(TipoMensagem::Aviso, "Aviso", MSG_JA_TRANSMITIDA);
        return false;
    }
    if (entregas.empty()) {
        ui.erro(MSG_SEM_HISTORICO);
        return false;
    }
    // A primeira linha gravada da declaração
    Entrega e = *std::min_element(entregas.begin(), entregas.end(), [](const Entrega& a, const Entrega& b) {
        return a.TRANSMISSAO_ID < b.TRANSMISSAO_ID;
    });
    if (DataValida(c.data)) {
        using namespace std::chrono;
        e.DATA = year{numero(c.data.substr(6, 4))} / month{static_cast<unsigned>(numero(c.data.substr(3, 2)))} /
                 day{static_cast<unsigned>(numero(c.data.substr(0, 2)))};
        e.HORA = c.hora;
        e.PROTOCOLO = c.numero;
        e.TIPOTRANSMISSAO = "T";
        e.RECIBO = GerarReciboTexto(CarregarDeclaracao(tr, *id), nomes);
        if (!e.DOCUMENTO_ID) e.DOCUMENTO_ID = *id;
        GravarEntrega(tr, e);
    }
    tr.commit();
    return true;
}

void CapturaProtocolos::RedesenharLista() {
    if (selecionado_ >= 0 && static_cast<size_t>(selecionado_) < encontradas_.size())
        encontradas_.erase(encontradas_.begin() + selecionado_);
    if (selecionado_ >= static_cast<int>(encontradas_.size()))
        selecionado_ = std::max(0, static_cast<int>(encontradas_.size()) - 1);
}

void CapturaProtocolos::actImprimirExecute() {
    if (modo_ != ModoCaptura::Recibo) return;
    if (capturadas_.empty()) {
        ImprimirSelecionado();
        return;
    }
    capturadas_.erase(std::remove_if(capturadas_.begin(), capturadas_.end(),
                                     [](const std::string& l) { return Aparar(l).empty(); }),
                      capturadas_.end());
    std::vector<std::string> ordem = capturadas_;
    std::sort(ordem.begin(), ordem.end());
    for (const auto& linha : ordem) {
        auto tr = fb::Transacao::leitura(dm_.MainConnection);
        auto e = EntregaDoProtocolo(tr, Aparar(trecho(linha, 31, 47)));
        tr.commit();
        if (e && imprimir_) imprimir_(*e);
    }
}

void CapturaProtocolos::ImprimirSelecionado() {
    const std::string linha = linhaSelecionada();
    if (linha.empty()) {
        dm_.ui().erro(MSG_NADA_A_IMPORTAR);
        return;
    }
    const CamposProtocolo c = CamposDaLinha(linha);
    auto imprimirLinha = [&] {
        capturadas_.push_back(linha);
        actImprimirExecute();
        capturadas_.pop_back();
    };
    if (ProtocoloCapturado(c.numero, c.data, c.hora)) {
        imprimirLinha();
        return;
    }
    if (dm_.ui().pergunta("Confirmação", MSG_CAPTURAR_ANTES) && CapturarProtocolo()) imprimirLinha();
}

bool CapturaProtocolos::ProtocoloCapturado(const std::string& protocolo, const std::string& data,
                                           const std::string& hora) {
    auto tr = fb::Transacao::leitura(dm_.MainConnection);
    // O protocolo é gravado sem brancos pela captura e com os brancos do fim pela transmissão
    fb::Comando q(tr, "SELECT DATA, HORA FROM TRANSMISSAO WHERE TRIM(PROTOCOLO) = :P");
    q.param("P", Aparar(protocolo));
    bool sim = false;
    while (!sim && q.proximo()) {
        if (q.coluna(0).nulo()) continue;
        const fb::Data d = q.coluna(0).data();
        char b[16];
        std::snprintf(b, sizeof b, "%02u/%02u/%04d", static_cast<unsigned>(d.day()), static_cast<unsigned>(d.month()),
                      static_cast<int>(d.year()));
        sim = b == data && q.coluna(1).texto() == hora;
    }
    tr.commit();
    return sim;
}

}  // namespace kov
