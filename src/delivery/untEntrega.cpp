#include "delivery/untEntrega.h"

#include <libxml/tree.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "data/Consistencia.h"
#include "data/Declaracao.h"
#include "data/DeclaracoesEntrega.h"
#include "data/Entregas.h"
#include "data/ReciboTexto.h"
#include "data/dmPrincipal.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "data/untUtils.h"
#include "files/DocumentoXml.h"
#include "files/untGeraXmlKOV.h"
#include "platform/GravacaoSegura.h"
#include "platform/Interacao.h"
#include "platform/PontoParada.h"
#include "platform/Processos.h"

namespace fs = std::filesystem;

namespace kov {

const char* const MSG_OPERACAO_NAO_EFETUADA = "Operação não efetuada!";

namespace {

const char* const SUPORTE = "\rContacte o suporte da DRU!";
const char* const TITULO_INFORMACAO = "Informação";
const char* const ENVIAX = "ENVIAX.EXE";

std::string aparado(const std::string& s) {
    const auto i = s.find_first_not_of(" \t\r\n");
    if (i == std::string::npos) return {};
    return s.substr(i, s.find_last_not_of(" \t\r\n") - i + 1);
}

// "dd/mm/aaaa" do protocolo como data; nada quando o texto não é uma data.
std::optional<std::chrono::year_month_day> dataDoTexto(const std::string& t) {
    if (!DataValida(t)) return std::nullopt;
    using namespace std::chrono;
    return year{std::stoi(t.substr(6, 4))} / month{static_cast<unsigned>(std::stoi(t.substr(3, 2)))} /
           day{static_cast<unsigned>(std::stoi(t.substr(0, 2)))};
}

}  // namespace

const char* LegendaEntrega(ModoEntrega modo) {
    return modo == ModoEntrega::Transmissao ? "Transmissão via Internet" : "Gravação";
}

// --- Regras puras -------------------------------------------------------------------------

std::string EntradaMontada(const std::string& k) {
    if (k.size() < 32) return {};
    return k.substr(0, 13) + k.substr(17, 4) + k.substr(15, 2) + k.substr(13, 2) + k.substr(31, 1) + k.substr(21, 10);
}

int DocumentoDaEntrada(const std::string& entrada) {
    if (entrada.size() < 32) return 0;
    const std::string n = entrada.substr(22, 10);
    return n.find_first_not_of("0123456789") == std::string::npos ? std::stoi(n) : 0;
}

bool NoHorarioVerao(const std::chrono::year_month_day& data) {
    using namespace std::chrono;
    const year y = data.year();
    const sys_days fev7{y / February / 7}, out15{y / October / 15};
    const sys_days sabado = fev7 + (Saturday - weekday{fev7});  // entre 7 e 13 de fevereiro
    const sys_days domingo = out15 + (Sunday - weekday{out15});  // entre 15 e 21 de outubro
    const sys_days d{data};
    return d <= sabado || d >= domingo;
}

std::optional<DataHoraLocal> MomentoRestauracaoRelogio(const std::chrono::year_month_day& lembrada,
                                                        const DataHoraLocal& agora) {
    using namespace std::chrono;
    if (agora.data == lembrada) return std::nullopt;
    const bool verao = NoHorarioVerao(lembrada), veraoHoje = NoHorarioVerao(agora.data);
    int hora = agora.hora;
    if (verao && !veraoHoje) --hora;
    else if (!verao && veraoHoje) ++hora;
    sys_days dia{lembrada};
    if (hora < 0) {
        hora += 24;
        dia -= days{1};
    } else if (hora > 23) {
        hora -= 24;
        dia += days{1};
    }
    return DataHoraLocal{year_month_day{dia}, hora, agora.minuto, agora.segundo};
}

std::optional<ProtocoloDevolvido> LerProtocoloDevolvido(const std::string& caminho) {
    std::error_code ec;
    if (!fs::is_regular_file(caminho, ec)) return std::nullopt;
    // Um arquivo que voltou ilegível conta como não enviado, como um que não voltou: a leitura
    // dos outros protocolos segue (as entregas deles a administração já tem).
    DocumentoXml doc;
    try {
        doc = LerArquivoXml(caminho);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    xmlNode* raiz = doc.raiz();
    if (!raiz || std::string(reinterpret_cast<const char*>(raiz->name)) != "arquivo") return std::nullopt;
    xmlNode* protocolo = FilhoElemento(FilhoElemento(raiz, "cabecalho"), "protocolo");
    auto texto = [&](const char* nome) {
        xmlNode* n = FilhoElemento(protocolo, nome);
        return n ? TextoElemento(n) : std::string();
    };
    ProtocoloDevolvido p{texto("numero"), texto("data"), texto("hora")};
    if (aparado(p.numero).empty()) return std::nullopt;
    return p;
}

std::string CaminhoTransmissor(const std::string& arquivoIni, const std::string& pastaPrograma) {
    std::string valor;
    try {
        valor = aparado(LerIni(arquivoIni, "ENVIAX", "Caminho"));
    } catch (const std::exception&) {
        return {};  // sem o arquivo de configuração não há caminho
    }
    if (valor.empty()) return {};
    for (char& ch : valor)
        if (ch == '\\') ch = '/';
    fs::path p(valor);
    if (p.is_relative()) p = fs::path(pastaPrograma) / p;
    return IncluirBarra(p.lexically_normal().string()) + ENVIAX;
}

// --- A execução ---------------------------------------------------------------------------

ExecucaoEntrega::ExecucaoEntrega(Tdm& dm, ModoEntrega modo, PainelEntrega& painel, Relogio& relogio)
    : dm_(dm), ui_(dm.ui()), modo_(modo), painel_(painel), relogio_(relogio),
      temp_(IncluirBarra(dm.diretorioPrograma()) + "temp/") {}

std::string ExecucaoEntrega::arquivoLista() const {
    return (fs::path(IncluirBarra(dm_.diretorioPrograma())) / ".." / "BD" / "Declaracoes").lexically_normal().string();
}

bool ExecucaoEntrega::confirmar(const std::vector<std::string>& chaves) {
    const std::string n = std::to_string(chaves.size());
    const std::string texto = modo_ == ModoEntrega::Transmissao
                                  ? "Confirma transmissão de (" + n + ") declaração(ões)?"
                                  : "Confirma gravação de (" + n + ") declaração(ões)?";
    if (!ui_.pergunta("Confirmação", texto)) return false;
    // A lista fica gravada enquanto a entrega dura: depois de uma queda ela diz o que estava
    // sendo entregue. Sai quando a tela fecha.
    std::string conteudo;
    for (const auto& k : chaves) conteudo += k + "\r\n";
    try {
        const std::string lista = arquivoLista();
        fs::create_directories(fs::path(lista).parent_path());
        GravarArquivoSeguro(lista, conteudo);
    } catch (const std::exception&) {
        throw ErroSistema("Não foi possível salvar o arquivo.");
    }
    chaves_ = chaves;
    return true;
}

void ExecucaoEntrega::encerrar() {
    const fs::path pasta = fs::path(arquivoLista()).parent_path();
    for (const char* nome : {"Protocolo", "Declaracoes"}) {
        std::error_code ec;
        if (!fs::exists(pasta / nome, ec)) continue;
        if (!fs::remove(pasta / nome, ec) || ec) throw ErroSistema("Não foi possível apagar o arquivo.");
    }
}

void ExecucaoEntrega::iniciarPasso(const std::string& texto) {
    ++contador_;
    linhas_.push_back(texto);
    passoAberto_ = true;
    painel_.passo(contador_, texto);
}

void ExecucaoEntrega::marcarPasso(bool ok) {
    linhas_.back() += ok ? " ok." : " falhou.";
    passoAberto_ = false;
    painel_.marcado(contador_, linhas_.back(), ok);
}

bool ExecucaoEntrega::executar() {
    if (executada_) return sucesso_;
    executada_ = true;
    painel_.contagem(std::to_string(chaves_.size()) + " declaração(ões) escolhida(s)");
    try {
        iniciarPasso("Montando arquivos...");
        montarArquivos();
        marcarPasso(sucesso_);
        const auto lembrada = relogio_.agora().data;
        if (modo_ == ModoEntrega::Transmissao && sucesso_) {
            iniciarPasso("Transmitindo declarações");
            if (!transmitir()) sucesso_ = false;
            marcarPasso(sucesso_);
        }
        if (modo_ == ModoEntrega::Gravacao && sucesso_) {
            iniciarPasso("Gravando disquete...");
            if (!gravar()) sucesso_ = false;
            marcarPasso(sucesso_);
        }
        acertarRelogio(lembrada);
        PontoDeParada("entrega-arquivos");
        // A linha da base só diz " ok." depois de as entregas estarem gravadas
        painel_.ocupado(true);
        iniciarPasso("Atualizando banco de dados...");
        if (sucesso_) atualizarBase();
        marcarPasso(sucesso_);
        painel_.ocupado(false);
        iniciarPasso("Finalizando...");
        marcarPasso(true);
    } catch (const std::exception& e) {
        sucesso_ = false;
        if (passoAberto_) marcarPasso(false);
        painel_.ocupado(false);
        ui_.erro(std::string(e.what()) + SUPORTE);
    }
    painel_.ocupado(true);
    esvaziarTemporaria();
    painel_.ocupado(false);
    if (sucesso_ && modo_ == ModoEntrega::Transmissao) {
        painel_.resultado("Transmissão finalizada com sucesso!", false);
    } else if (sucesso_) {
        painel_.resultado("Gravação finalizada com sucesso!", false);
        ui_.mensagem(TipoMensagem::Aviso, "Atenção",
                     "O(s) arquivo(s) gravado(s) deverá(ão) ser transmitido(s) via internet\rutilizando o transmissor "
                     "ENVIAX. Esta transmissão exigirá senha do usuário de acesso ao TALMA!");
    } else {
        painel_.resultado(MSG_OPERACAO_NAO_EFETUADA, true);
    }
    if (!naoEnviados_.empty()) {
        std::string texto = "As seguintes declarações não foram enviadas:\r";
        for (const auto& p : naoEnviados_) texto += p + "\r";
        ui_.mensagem(TipoMensagem::Informacao, TITULO_INFORMACAO, texto);
    }
    painel_.progresso(0, static_cast<int>(chaves_.size()));
    ui_.limparStatus();
    return sucesso_;
}

void ExecucaoEntrega::montarArquivos() {
    const int total = static_cast<int>(chaves_.size());
    painel_.progresso(0, total);
    fs::create_directories(temp_);
    const ContextoArquivo ctx = ContextoArquivoDoModulo(dm_);
    const bool cifrar = modo_ == ModoEntrega::Gravacao;
    ListasConsistencia listas;
    bool falhou = false;
    for (int k = 0; k < total; ++k) {
        painel_.progresso(k + 1, total);
        const std::string& chave = chaves_[static_cast<size_t>(k)];
        const int id = DocumentoDaEntrada(EntradaMontada(chave));
        bool existe = false;
        {
            auto tr = fb::Transacao::leitura(dm_.MainConnection);
            existe = id > 0 && ExisteDeclaracao(tr, id);
            tr.commit();
        }
        if (!existe) {
            ui_.erro("A declaração de chave " + std::to_string(id) + " não foi encontrada.");
            falhou = true;
            continue;
        }
        // A declaração é consistida de novo: pode ter mudado depois de escolhida
        if (ConsistirDocumento(dm_, id, listas) == STATUS_INCONSISTENTE) {
            std::string ie;
            for (const auto& l : listas.cdsDocumentosErros)
                if (l.Documento == id) ie = l.IEContribuinte;
            ui_.mensagem(TipoMensagem::Aviso, "Atenção",
                         "A declaração de I.E. nº " + ie + " está inconsistente, favor consistí-la novamente. " + "\r" +
                             "A operação será abortada.");
            throw Abortar();
        }
        if (falhou) continue;
        ui_.mostrarStatus("Montando arquivo para entrega");
        try {
            const Declaracao d = CarregarDeclaracao(dm_.MainConnection, id);
            const std::string caminho = temp_ + NomeArquivoDeclaracao(d);
            GerarArquivoDeclaracao(d, ctx, caminho, cifrar);
            montadas_.push_back({EntradaMontada(chave), caminho, std::nullopt});
        } catch (const Abortar&) {
            falhou = true;  // o escritor já disse por quê (regime sem arquivo)
        } catch (const std::exception& e) {
            ui_.erro(std::string(e.what()) + "\rContate o suporte da DRU!");
            falhou = true;
        }
    }
    ui_.limparStatus();
    if (falhou) sucesso_ = false;
}

bool ExecucaoEntrega::transmitir() {
    std::string programa = CaminhoTransmissor(dm_.arquivoIni(), dm_.diretorioPrograma());
    std::error_code ec;
    if (programa.empty() || !fs::is_regular_file(programa, ec)) {
        ui_.erro(programa.empty() ? "Não foi encontrado o caminho do ENVIAX no arquivo KOV.INI!\rSelecione o caminho!"
                                  : "O caminho informado no arquivo KOV.INI não está correto!\rSelecione o caminho!");
        const std::string pasta = ui_.escolherPasta("Selecione o caminho do ENVIAX", {});
        if (pasta.empty() || !fs::is_regular_file(IncluirBarra(pasta) + ENVIAX, ec)) {
            ui_.erro("Não foi possível localizar o arquivo ENVIAX.EXE no caminho especificado!");
            return false;
        }
        EscreverIni(dm_.arquivoIni(), "ENVIAX", "Caminho", "\"" + pasta + "\"");
        programa = IncluirBarra(pasta) + ENVIAX;
    }
    std::vector<std::string> arquivos;
    for (const auto& m : montadas_) arquivos.push_back(m.caminho);
    // O transmissor roda na raiz, sem limite de tempo; só os arquivos devolvidos contam
    ExecutarEEsperar(programa, arquivos, "/", [this] { painel_.processarEventos(); });
    size_t comProtocolo = 0;
    for (auto& m : montadas_) {
        m.protocolo = LerProtocoloDevolvido(m.caminho);
        if (m.protocolo) ++comProtocolo;
        else naoEnviados_.push_back(m.caminho);
    }
    return comProtocolo > 0;
}

bool ExecucaoEntrega::gravar() {
    const std::string pasta = ui_.escolherPasta({}, {});
    if (pasta.empty()) return false;
    const int total = static_cast<int>(montadas_.size());
    painel_.progresso(0, total);
    for (int i = 0; i < total; ++i) {
        painel_.progresso(i + 1, total);
        const auto& m = montadas_[static_cast<size_t>(i)];
        try {
            CopiarArquivoSeguro(m.caminho, IncluirBarra(pasta) + fs::path(m.caminho).filename().string());
            PontoDeParada("entrega-copia");
        } catch (const std::system_error& e) {
            if (e.code().value() == ENOSPC)
                ui_.erro(std::string("Espaço insuficiente no disco de destino.") + SUPORTE);
            else
                ui_.erro("Erro na gravação do arquivo no disquete! Contacte o suporte da DRU!");
            return false;
        } catch (const std::exception& e) {
            ui_.erro(std::string(e.what()) + SUPORTE);
            return false;
        }
    }
    ui_.limparStatus();
    return true;
}

void ExecucaoEntrega::acertarRelogio(const std::chrono::year_month_day& lembrada) {
    const auto alvo = MomentoRestauracaoRelogio(lembrada, relogio_.agora());
    if (!alvo) return;
    const std::string motivo = relogio_.definir(*alvo);
    const std::string nota = motivo.empty()
                                 ? "Relógio do computador acertado para " + TextoDataHoraLocal(*alvo) + "."
                                 : "Relógio do computador não acertado para " + TextoDataHoraLocal(*alvo) + ": " +
                                       motivo + ".";
    linhas_.push_back(nota);
    painel_.nota(nota);
}

std::map<int, std::string> NomesMunicipios(Tdm& dm) {
    if (!dm.ref.abertas) dm.AbrirReferencias();
    std::map<int, std::string> nomes;
    for (const auto& m : dm.ref.cdsMunicipio) nomes[m.CODDRUMUNICIPIO] = m.DESCRICAO;
    return nomes;
}

void ExecucaoEntrega::atualizarBase() {
    const auto nomes = NomesMunicipios(dm_);
    // Todas as entregas numa transação: uma falha não deixa nenhuma linha pela metade
    fb::Transacao tr(dm_.MainConnection);
    for (const auto& m : montadas_) {
        const bool transmissao = modo_ == ModoEntrega::Transmissao;
        if (transmissao && !m.protocolo) continue;
        const int id = DocumentoDaEntrada(m.entrada);
        if (!ExisteDeclaracao(tr, id)) continue;
        const Declaracao d = CarregarDeclaracao(tr, id);
        Entrega e;
        e.DOCUMENTO_ID = id;
        if (transmissao) {
            const std::string data = CompletarDireita(m.protocolo->data, " ", 10);
            e.TIPOTRANSMISSAO = "T";
            e.PROTOCOLO = CompletarDireita(m.protocolo->numero, " ", 17);  // com os brancos do fim
            e.DATA = dataDoTexto(data);
            e.HORA = CompletarDireita(m.protocolo->hora, " ", 8);
        } else {
            e.TIPOTRANSMISSAO = "D";
        }
        e.RECIBO = GerarReciboTexto(d, nomes);
        GravarEntrega(tr, e);
    }
    PontoDeParadaDurante("entrega-base");
    tr.commit();
}

void ExecucaoEntrega::esvaziarTemporaria() {
    std::set<fs::path> montados;
    for (const auto& m : montadas_) montados.insert(fs::path(m.caminho));
    std::error_code ec;
    for (fs::directory_iterator it(temp_, ec), fim; !ec && it != fim; it.increment(ec)) {
        std::string ext = it->path().extension().string();
        for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        std::error_code ec2;
        if (ext != ".xml" || !it->is_regular_file(ec2)) continue;
        // Um arquivo transmitido que outra entrega deixou aqui ao ser interrompida (programa
        // morto depois do transmissor e antes da base) é o único registro do seu protocolo:
        // fica para a captura de protocolos
        if (!montados.count(it->path()) && LerProtocoloDevolvido(it->path().string())) continue;
        fs::remove(it->path(), ec2);  // o que não sai fica
    }
    fs::remove(temp_, ec);  // só sai vazia
}

}  // namespace kov
