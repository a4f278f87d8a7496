#include "delivery/untBackup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <system_error>

#include "data/AberturaBase.h"
#include "data/Cadastros.h"
#include "data/ConfigApp.h"
#include "data/Consistencia.h"
#include "data/Declaracao.h"
#include "data/dmPrincipal.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "data/untUtils.h"
#include "delivery/CompactacaoZip.h"
#include "delivery/DRUFWUtils.h"
#include "files/untGeraXmlKOV.h"
#include "files/untRestauraXmlKOV.h"
#include "platform/GravacaoSegura.h"
#include "platform/Interacao.h"
#include "platform/PontoParada.h"

namespace fs = std::filesystem;

namespace kov {

const char* const MSG_ERRO_COMPACTACAO = "Erro durante o processo de compactação de arquivo! Arquivo não compactado";
const char* const MSG_DADOS_NAO_ENCONTRADO = "Arquivo de dados não encontrado";
const char* const MSG_ZIP_NAO_ENCONTRADO = "Erro - nenhum arquivo do tipo Compactado (.ZIP) encontrado!";
const char* const MSG_NADA_A_RESTAURAR = "Não existe declaração a ser restaurada!";
const char* const MSG_RESTAURACAO_FINALIZADA = "Restauração Finalizada";
const char* const MSG_BASE_RESTAURADA =
    "BACKUP RESTAURADO COM SUCESSO.\n\rO sistema será FINALIZADO. Reinicie o aplicativo para utilização da base "
    "restaurada.";
const char* const MSG_CONFIRMA_RESTAURACAO =
    "ATENÇÃO:\r\nEsta operação não pode ser desfeita, faça um backup dos dados antes de confirmar.\r\nA base será "
    "sobrescrita e a aplicação fechada.\r\nConfirma restauração de backup de base completa?";

namespace {

const char* const MSG_SUCESSO_COPIA = "Cópia de segurança gerada com sucesso. Arquivos adicionados = ";
const char* const PREFIXO_BASE = "BKP_KOV_BNC";
const char* const MSG_PASTA_BACKUP = "Não foi possivel criar o diretório de backup";
const char* const USUARIO_RECONSTRUCAO = "SYSDBA";
const char* const SENHA_RECONSTRUCAO = "QUILLMOSS";

std::string dois(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::string maiusculas(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool terminaComXml(const std::string& nome) {
    return nome.size() > 4 && maiusculas(nome.substr(nome.size() - 4)) == ".XML";
}

// Arquivos comuns ".xml" da pasta (qualquer caixa na extensão), em ordem de nome.
std::vector<fs::path> arquivosXml(const std::string& pasta) {
    std::vector<fs::path> v;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(pasta, ec))
        if (e.is_regular_file(ec) && !e.is_symlink(ec) && terminaComXml(e.path().filename().string()))
            v.push_back(e.path());
    std::sort(v.begin(), v.end());
    return v;
}

// Copia em blocos com andamento e força para o disco; o destino é trocado por inteiro.
void copiarArquivo(const std::string& origem, const std::string& destino, Interacao* ui = nullptr) {
    const int in = ::open(origem.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) throw std::system_error(errno, std::generic_category(), "não foi possível ler " + origem);
    struct stat st {};
    ::fstat(in, &st);
    const std::string temporario = destino + ".tmp";
    ::unlink(temporario.c_str());
    const int out = ::open(temporario.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0660);
    if (out < 0) {
        const int e = errno;
        ::close(in);
        throw std::system_error(e, std::generic_category(), "não foi possível criar " + temporario);
    }
    std::vector<char> buf(1 << 20);
    unsigned long long feito = 0;
    int erro = 0;
    for (;;) {
        const ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            erro = errno;
            break;
        }
        if (n == 0) break;
        for (ssize_t escrito = 0; escrito < n;) {
            const ssize_t w = ::write(out, buf.data() + escrito, static_cast<size_t>(n - escrito));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) {
                erro = errno;
                break;
            }
            escrito += w;
        }
        if (erro) break;
        feito += static_cast<unsigned long long>(n);
        if (ui) ui->progresso(feito, static_cast<unsigned long long>(st.st_size));
    }
    if (!erro && ::fsync(out) != 0) erro = errno;
    if (::close(out) != 0 && !erro) erro = errno;
    ::close(in);
    if (erro) {
        ::unlink(temporario.c_str());
        throw std::system_error(erro, std::generic_category(), "não foi possível gravar " + destino);
    }
    // O arquivo novo fica com o dono e as permissões do original (um servidor Firebird
    // precisa abri-lo)
    ::chmod(temporario.c_str(), st.st_mode & 07777);
    if (::chown(temporario.c_str(), st.st_uid, st.st_gid) != 0) {
        // sem permissão para trocar o dono: fica o usuário que copiou
    }
    RenomearSincronizado(temporario, destino);
}

void apagar(const std::string& arquivo) {
    std::error_code ec;
    fs::remove(arquivo, ec);
}

// Confere que o arquivo abre como base do KOV (numa conexão própria, com o motor embutido).
void conferirBase(const std::string& arquivo) {
    fb::Conexao c;
    fb::ParametrosConexao p;
    p.banco = arquivo;
    c.abrir(p);
    bool doKOV;
    {
        auto tr = fb::Transacao::leitura(c);
        doKOV = TemTabelasDoKOV(tr);
    }
    c.fechar();
    if (!doKOV) throw ErroSistema(MensagemBaseEstranha(arquivo));
}

void executarSQL(fb::Conexao& c, const std::string& sql) {
    fb::Transacao tr(c);
    fb::Comando::executarDireto(tr, sql);
    tr.commit();
}

int estadoCopiaFisica(fb::Conexao& c) {
    auto tr = fb::Transacao::leitura(c);
    fb::Comando q(tr, "SELECT MON$BACKUP_STATE FROM MON$DATABASE");
    return q.proximo() ? static_cast<int>(q.coluna(0).inteiro()) : 0;
}

std::tm momentoLocal() {
    const std::time_t t = std::time(nullptr);
    std::tm m{};
    localtime_r(&t, &m);
    return m;
}

std::time_t segundosDe(std::tm m) {
    m.tm_isdst = -1;
    return std::mktime(&m);
}

}  // namespace

std::string PastaBackupPadrao(const std::string& dirPrograma) {
    return IncluirBarra((fs::path(dirPrograma) / ".." / "backup").lexically_normal().string());
}

std::string TextoDataBackup(const std::tm& m) { return dois(m.tm_mday) + dois(m.tm_mon + 1) + std::to_string(m.tm_year + 1900); }
std::string TextoHoraBackup(const std::tm& m) { return dois(m.tm_hour) + dois(m.tm_min) + dois(m.tm_sec); }

std::string NomeArquivoBackupBase(const std::string& pasta, const std::tm& m) {
    return IncluirBarra(pasta) + PREFIXO_BASE + TextoDataBackup(m) + "h" + TextoHoraBackup(m) + ".ZIP";
}

std::string NomeArquivoBackupDeclaracoes(const std::string& pasta, const std::tm& m, bool outroNome) {
    return IncluirBarra(pasta) + (outroNome ? "BKP_KOV_BNC" : "BKP_KOV_DEC") + TextoDataBackup(m) + TextoHoraBackup(m) +
           ".ZIP";
}

std::string ComentarioBackupBase(const std::string& versaoSistema, const std::tm& m) {
    const std::string dataHora = dois(m.tm_mday) + "/" + dois(m.tm_mon + 1) + "/" + std::to_string(m.tm_year + 1900) +
                                 " " + dois(m.tm_hour) + ":" + dois(m.tm_min) + ":" + dois(m.tm_sec);
    return "..: BACKUP DE BANCO DE DADOS :..\n\rAplicativo:. ------------- KOV\n\rVersão Banco:. ----------- " +
           versaoSistema + "\n\r" + "Data Backup:. ------------ " + dataHora;
}

std::optional<std::tm> MomentoDoNomeBackupBase(const std::string& nomeArquivo) {
    // BKP_KOV_BNC + 8 dígitos + "h" + 6 dígitos + ".ZIP"
    const std::string n = maiusculas(nomeArquivo);
    const size_t p = std::strlen(PREFIXO_BASE);
    if (n.size() != p + 8 + 1 + 6 + 4 || n.compare(0, p, PREFIXO_BASE) != 0 || n[p + 8] != 'H' ||
        n.compare(n.size() - 4, 4, ".ZIP") != 0)
        return std::nullopt;
    const std::string d = n.substr(p, 8), h = n.substr(p + 9, 6);
    if (!SoNumeros(d) || !SoNumeros(h)) return std::nullopt;
    std::tm m{};
    m.tm_mday = std::stoi(d.substr(0, 2));
    m.tm_mon = std::stoi(d.substr(2, 2)) - 1;
    m.tm_year = std::stoi(d.substr(4, 4)) - 1900;
    m.tm_hour = std::stoi(h.substr(0, 2));
    m.tm_min = std::stoi(h.substr(2, 2));
    m.tm_sec = std::stoi(h.substr(4, 2));
    if (m.tm_mday < 1 || m.tm_mday > 31 || m.tm_mon < 0 || m.tm_mon > 11 || m.tm_hour > 23 || m.tm_min > 59 ||
        m.tm_sec > 59)
        return std::nullopt;
    return m;
}

std::string LinhaPaginaBackup(const std::string& k) {
    if (k.size() < 31) return k;
    return FormatarIE(k.substr(0, 13)) + " de " + k.substr(13, 2) + " a " + k.substr(15, 2) + "/" + k.substr(17, 4) +
           " - " + k.substr(21, 10);
}

std::optional<std::string> ChaveEscolhaDaDeclaracao(fb::Conexao& c, int documentoId) {
    auto tr = fb::Transacao::leitura(c);
    fb::Comando q(tr,
                  "SELECT C.INSCESTADUAL, D.MESINICIAL, D.MESFINAL, D.PERIODO FROM DOCUMENTO D "
                  "JOIN CONTRIBUINTE C ON C.CONTRIBUINTE_ID = D.CONTRIBUINTE_ID WHERE D.DOCUMENTO_ID = :ID");
    q.param("ID", documentoId);
    if (!q.proximo()) return std::nullopt;
    std::string ie;
    for (char ch : q["INSCESTADUAL"].texto())
        if (std::isdigit(static_cast<unsigned char>(ch))) ie += ch;
    return CompletarEsquerda(ie, "0", 13) + CompletarEsquerda(std::to_string(q["MESINICIAL"].inteiro()), "0", 2) +
           CompletarEsquerda(std::to_string(q["MESFINAL"].inteiro()), "0", 2) +
           CompletarEsquerda(std::to_string(q["PERIODO"].inteiro()), "0", 4) +
           CompletarEsquerda(std::to_string(documentoId), "0", 10) + "N";
}

CaminhosRestauracao CaminhosDaRestauracao(const std::string& baseViva) {
    const fs::path pasta = fs::path(baseViva).parent_path();
    CaminhosRestauracao c;
    c.base = baseViva;
    c.seguranca = (pasta / "bkpOriginalKOV.GDB").string();
    c.trabalho = (pasta / "TEMP").string();
    c.copiaZip = (pasta / "TEMP" / "bkp.zip").string();
    c.extraida = (pasta / "TEMP" / "KOV.GDB").string();
    return c;
}

ConfigBackupAutomatico LerConfigBackupAutomatico(const std::string& arquivoIni) {
    ConfigBackupAutomatico c;
    auto ler = [&](const char* chave, int& valor) {
        try {
            const std::string t = LerIni(arquivoIni, "BACKUP", chave);
            if (!t.empty() && SoNumeros(t) && t.size() <= 6) valor = std::stoi(t);
        } catch (const std::exception&) {
            // sem KOV.ini: valem os padrões
        }
    };
    ler("Dias", c.dias);
    ler("Manter", c.manter);
    return c;
}

TBackup::TBackup(Tdm& dm, Interacao& ui) : agora(momentoLocal), dm_(dm), ui_(ui) {}

std::string TBackup::arquivoBaseLocal() const { return ArquivoLocalDaBase(dm_.caminhoBanco()); }

// Imagem consistente do arquivo da base sem parar o programa: sob a trava de cópia física o
// Firebird deixa o arquivo principal parado (as mudanças vão para o arquivo .delta ao lado),
// a cópia é feita, a trava é solta e o cabeçalho da cópia é consertado pela ferramenta do
// servidor. A cópia é conferida abrindo-a antes de ir para o ZIP.
void TBackup::copiarBaseConsistente(const std::string& base, const std::string& destino) {
    fb::Conexao propria;
    fb::Conexao* c = &dm_.MainConnection;
    if (!c->aberta()) {
        propria.abrir(dm_.parametrosConexao());
        c = &propria;
    }
    // Trava esquecida por um programa interrompido no meio de uma cópia anterior
    if (estadoCopiaFisica(*c) != 0) executarSQL(*c, "ALTER DATABASE END BACKUP");
    executarSQL(*c, "ALTER DATABASE BEGIN BACKUP");
    try {
        copiarArquivo(base, destino, &ui_);
        PontoDeParada("backup-copia");
    } catch (...) {
        try {
            executarSQL(*c, "ALTER DATABASE END BACKUP");
        } catch (const std::exception&) {
        }
        throw;
    }
    executarSQL(*c, "ALTER DATABASE END BACKUP");
    const auto r = RodarFerramenta(ProgramaNbackup(dm_.diretorioPrograma()), {"-F", destino});
    if (r.codigo != 0) throw ErroSistema("A cópia da base não pôde ser preparada: " + r.saida);
    conferirBase(destino);
}

std::string TBackup::GerarBackupBase(const std::string& pastaBackup, bool automatica) {
    if (!automatica && !ui_.pergunta("Confirmação", "Confirma a geração do arquivo de backup?")) return {};
    const std::string pasta = IncluirBarra(pastaBackup);
    std::string copia;
    std::string gravado;
    try {
        ui_.mostrarStatus("Gerando arquivo de backup");
        const std::tm m = agora();
        const std::string nome = NomeArquivoBackupBase(pasta, m);
        std::error_code ec;
        fs::create_directories(pasta, ec);
        if (!fs::is_directory(pasta)) throw ErroSistema(MSG_PASTA_BACKUP);
        const std::string base = arquivoBaseLocal();
        if (base.empty() || !fs::is_regular_file(base)) {
            ui_.limparStatus();
            ui_.mensagem(TipoMensagem::Erro, "Erro", MSG_DADOS_NAO_ENCONTRADO);
            return {};
        }
        if (fs::exists(nome) && !automatica) {
            const std::string r = ui_.opcoesArquivoExistente();
            if (r == "N") {
                ui_.limparStatus();
                return {};
            }
            // "R" dá o mesmo nome: a data e a hora são as mesmas
        }
        const CaminhosRestauracao caminhos = CaminhosDaRestauracao(base);
        fs::create_directories(caminhos.trabalho);
        // Restos de uma cópia interrompida (programa morto no meio)
        for (const auto& e : fs::directory_iterator(caminhos.trabalho, ec))
            if (e.path().filename().string().rfind("copia-", 0) == 0) fs::remove(e.path(), ec);
        copia = (fs::path(caminhos.trabalho) / ("copia-" + std::to_string(::getpid()) + ".gdb")).string();
        copiarBaseConsistente(base, copia);
        const int n = GravarZip(nome, {{copia, "KOV.GDB"}}, ComentarioBackupBase(VersaoSistema(dm_.ConfigApp), m),
                                [this](std::uint64_t feito, std::uint64_t total) { ui_.progresso(feito, total); });
        // O ZIP leva a data do arquivo mais novo que ele guarda
        fs::last_write_time(nome, fs::last_write_time(base), ec);
        ui_.limparStatus();
        if (!automatica) ui_.mensagem(TipoMensagem::Informacao, "Informação", MSG_SUCESSO_COPIA + std::to_string(n));
        gravado = nome;
    } catch (const std::exception& e) {
        // A mensagem do sistema e, na linha de baixo, o motivo (disco cheio, base travada...)
        ui_.limparStatus();
        const std::string texto = e.what();
        ui_.mensagem(TipoMensagem::Erro, "Erro",
                     texto == MSG_PASTA_BACKUP ? texto : std::string(MSG_ERRO_COMPACTACAO) + "\r\n" + texto);
    }
    if (!copia.empty()) {
        apagar(copia);
        std::error_code ec;
        fs::remove(fs::path(copia).parent_path(), ec);  // só quando ficou vazia
    }
    return gravado;
}

bool TBackup::trocarBase(const CaminhosRestauracao& c, const std::string& arquivoZip) {
    fs::create_directories(c.trabalho);
    // Um ZIP de qualquer tamanho é aberto: a cópia de uma base pequena cabe em poucos
    // centenas de KB; o que decide é ter a entrada KOV.GDB e ela abrir como base do KOV
    const auto tamanho = fs::file_size(arquivoZip);
    ui_.mostrarStatus("Extraindo a cópia de segurança");
    copiarArquivo(arquivoZip, c.copiaZip);
    try {
        // Uma base compacta em 20 a 30 vezes; 100 vezes o ZIP (nunca menos de 256 MB) é folga
        ExtrairZip(c.copiaZip, c.trabalho, std::max<std::uint64_t>(tamanho * 100, 256ull << 20),
                   [this](std::uint64_t feito, std::uint64_t total) { ui_.progresso(feito, total); });
    } catch (const ErroZip& e) {
        ui_.mensagem(TipoMensagem::Erro, "Erro",
                     std::string(MSG_ZIP_NAO_ENCONTRADO) + "\r\n" + e.what() + "\r\nA base atual foi mantida.");
        return false;
    }
    if (!fs::is_regular_file(c.extraida)) {
        ui_.mensagem(TipoMensagem::Erro, "Erro",
                     "O arquivo " + arquivoZip + " não contém a base de dados (KOV.GDB). A base atual foi mantida.");
        return false;
    }
    // A reconstrução e a conferência são feitas no arquivo extraído: a base viva só é trocada
    // por um arquivo que a ferramenta reconstruiu inteiro e que abre como base do KOV
    ui_.mostrarStatus("Reconstruindo a base de dados");
    PontoDeParadaDurante("restauracao-gbak");
    std::string motivo;
    if (!TDRUUtils::ReconstroiBase(c.extraida, USUARIO_RECONSTRUCAO, SENHA_RECONSTRUCAO, dm_.diretorioPrograma(),
                                   &motivo)) {
        ui_.mensagem(TipoMensagem::Erro, "Erro",
                     "A reconstrução da base restaurada falhou; a base atual foi mantida.\r\n" + motivo);
        return false;
    }
    conferirBase(c.extraida);
    PontoDeParada("restauracao-antes-troca");
    ui_.mostrarStatus("Substituindo a base de dados");
    copiarArquivo(c.extraida, c.base + ".restaurando");
    // A base restaurada fica com o dono e as permissões da que ela substitui
    struct stat st {};
    if (::stat(c.base.c_str(), &st) == 0) {
        ::chmod((c.base + ".restaurando").c_str(), st.st_mode & 07777);
        if (::chown((c.base + ".restaurando").c_str(), st.st_uid, st.st_gid) != 0) {
            // sem permissão para trocar o dono: fica o usuário que restaurou
        }
    }
    // A troca de nome é atômica: quem abrir a base encontra a antiga ou a restaurada inteira
    RenomearSincronizado(c.base + ".restaurando", c.base);
    PontoDeParada("restauracao-trocada");
    // Um diário de atualização interrompida falaria da base antiga, não desta
    CopiaSeguranca(c.base).concluir();
    return true;
}

bool TBackup::RestaurarBase(const std::string& arquivoZip) {
    if (!ui_.pergunta("Atenção", MSG_CONFIRMA_RESTAURACAO)) return false;
    const std::string base = arquivoBaseLocal();
    if (base.empty() || !fs::is_regular_file(base)) {
        ui_.mensagem(TipoMensagem::Erro, "Erro", MSG_DADOS_NAO_ENCONTRADO);
        return false;
    }
    const CaminhosRestauracao c = CaminhosDaRestauracao(base);
    const bool servidor = ArquivoLocalDaBase(dm_.caminhoBanco()) != dm_.caminhoBanco();
    dm_.DefinirConexao(false);
    bool ok = false;
    bool servicoParado = false;
    try {
        ui_.mostrarStatus("Guardando a base atual");
        copiarArquivo(base, c.seguranca);
        PontoDeParada("restauracao-guardada");
        // Com a base servida por um servidor local, ele é parado para soltar o arquivo
        if (servidor) servicoParado = dm_.ServicoFirebird(0);
        ok = trocarBase(c, arquivoZip);
    } catch (const std::exception& e) {
        ui_.mensagem(TipoMensagem::Erro, "Erro",
                     std::string("A base de dados não foi restaurada; a base atual foi mantida.\r\n") + e.what());
    }
    std::error_code ec;
    if (!ok && !fs::exists(base) && fs::exists(c.seguranca)) {
        try {
            copiarArquivo(c.seguranca, base);
        } catch (const std::exception& e) {
            ui_.mensagem(TipoMensagem::Erro, "Erro",
                         "A base atual não pôde ser devolvida ao lugar; ela está guardada em " + c.seguranca + ".\r\n" +
                             e.what());
        }
    }
    if (servicoParado) dm_.ServicoFirebird(1);
    // Depois de uma restauração a base substituída fica guardada em bkpOriginalKOV.GDB (o
    // caminho de volta); numa falha a base viva está intacta e a cópia não faz falta
    if (!ok && fs::exists(base)) fs::remove(c.seguranca, ec);
    fs::remove_all(c.trabalho, ec);
    ui_.limparStatus();
    if (!ok) {
        try {
            dm_.DefinirConexao(true);
            dm_.AbrirReferencias();
        } catch (const std::exception& e) {
            ui_.erro(e.what());
        }
    }
    return ok;
}

FimRestauracao TBackup::ExecutarRestauracao(const std::string& arquivoZip) {
    if (!RestaurarBase(arquivoZip)) return FimRestauracao::NaoRestaurada;
    try {
        dm_.DefinirConexao(false);
        dm_.DefinirConexao(true);
    } catch (const std::exception& e) {
        ui_.mensagem(TipoMensagem::Erro, "Erro ao conectar a base de dados",
                     "Foram identificados erros na tentativa de conectar a base de dados.\rFavor verificar se a "
                     "configuração do arquivo KOV.ini está correta.");
        ui_.mensagem(TipoMensagem::Erro, "Erro", e.what());
        return FimRestauracao::SemConexao;
    }
    try {
        dm_.AtualizarBaseDados();
    } catch (const std::exception& e) {
        ui_.erro(e.what());
    }
    ui_.mensagem(TipoMensagem::Informacao, "Informação", MSG_BASE_RESTAURADA);
    return FimRestauracao::Restaurada;
}

std::string TBackup::PastaTrabalhoDeclaracoes() const {
    return IncluirBarra((fs::path(dm_.diretorioPrograma()) / ".." / "~tmp").lexically_normal().string());
}

std::string TBackup::PastaRestauracaoDeclaracoes() const { return dm_.diretorioPrograma() + "temp/tempdec/"; }

std::string TBackup::gravarZipDeclaracoes(const std::string& pastaBackup) {
    try {
        const std::tm m = agora();
        std::string nome = NomeArquivoBackupDeclaracoes(pastaBackup, m);
        const auto arquivos = arquivosXml(PastaTrabalhoDeclaracoes());
        if (arquivos.empty()) {
            ui_.mensagem(TipoMensagem::Erro, "Erro", MSG_DADOS_NAO_ENCONTRADO);
            return {};
        }
        fs::create_directories(IncluirBarra(pastaBackup));
        if (fs::exists(nome)) {
            const std::string r = ui_.opcoesArquivoExistente();
            if (r == "N") return {};
            if (r == "R") nome = NomeArquivoBackupDeclaracoes(pastaBackup, m, true);
        }
        std::vector<std::pair<std::string, std::string>> entradas;
        for (const auto& a : arquivos) entradas.emplace_back(a.string(), a.filename().string());
        const int n = GravarZip(nome, entradas, "",
                                [this](std::uint64_t feito, std::uint64_t total) { ui_.progresso(feito, total); });
        ui_.mensagem(TipoMensagem::Informacao, "Informação", MSG_SUCESSO_COPIA + std::to_string(n));
        for (const auto& a : arquivos) fs::remove(a);
        std::error_code ec;
        fs::remove(PastaTrabalhoDeclaracoes(), ec);
        return nome;
    } catch (const std::exception& e) {
        ui_.mensagem(TipoMensagem::Erro, "Erro", std::string(MSG_ERRO_COMPACTACAO) + "\r\n" + e.what());
        return {};
    }
}

std::string TBackup::GerarBackupDeclaracoes(const std::vector<std::string>& chavesEscolha,
                                            const std::string& pastaBackup) {
    ui_.mostrarStatus("Gerando cópia de segurança.");
    try {
        const std::string trabalho = PastaTrabalhoDeclaracoes();
        fs::create_directories(trabalho);
        int feitos = 0;
        for (const auto& chave : chavesEscolha) {
            // A chave da declaração está nas colunas 35-44 da linha da página
            const std::string linha = LinhaPaginaBackup(chave);
            int id = 0;
            try {
                id = std::stoi(linha.substr(34, 10));
            } catch (const std::exception&) {
                continue;
            }
            Declaracao d;
            try {
                d = CarregarDeclaracao(dm_.MainConnection, id);
            } catch (const ErroSistema&) {
                continue;  // apagada depois da escolha
            }
            ListasConsistencia listas;
            ConsistirDocumento(dm_, id, listas);
            GerarArquivoDeclaracao(dm_, id, trabalho + NomeArquivoDeclaracao(d), true);
            ui_.progresso(static_cast<unsigned long long>(++feitos), chavesEscolha.size());
        }
        const std::string nome = gravarZipDeclaracoes(pastaBackup);
        ui_.limparStatus();
        if (!nome.empty()) ui_.mensagem(TipoMensagem::Informacao, "Informação", "Operação efetuada com sucesso!");
        return nome;
    } catch (const Abortar&) {
        ui_.limparStatus();
        throw;
    } catch (const std::exception& e) {
        ui_.limparStatus();
        ui_.erro(e.what());
        return {};
    }
}

std::vector<std::string> TBackup::AbrirBackupDeclaracoes(const std::string& arquivoZip) {
    const std::string pasta = PastaRestauracaoDeclaracoes();
    try {
        std::error_code ec;
        const auto tamanho = fs::file_size(arquivoZip, ec);
        if (ec || EntradasZip(arquivoZip) == 0) throw ErroZip("vazio");
        fs::create_directories(pasta);
        ExtrairZip(arquivoZip, pasta, LimiteExpansao(tamanho),
                   [this](std::uint64_t feito, std::uint64_t total) { ui_.progresso(feito, total); });
    } catch (const std::exception&) {
        ui_.mensagem(TipoMensagem::Erro, "Erro", MSG_ZIP_NAO_ENCONTRADO);
    }
    std::vector<std::string> nomes;
    for (const auto& a : arquivosXml(pasta)) nomes.push_back(a.filename().string());
    if (nomes.empty()) {
        ui_.mensagem(TipoMensagem::Informacao, "Informação", MSG_NADA_A_RESTAURAR);
        throw Abortar();
    }
    return nomes;
}

void TBackup::RestaurarDeclaracoes(const std::vector<std::pair<int, std::string>>& marcados) {
    for (const auto& [posicao, nome] : marcados) {
        ui_.mostrarStatus("Restaurando " + std::to_string(posicao) + "º arquivo");
        ImportarArquivoDeclaracao(dm_, PastaRestauracaoDeclaracoes() + nome);
        ui_.limparStatus();
    }
    ui_.mensagem(TipoMensagem::Informacao, "Informação", MSG_RESTAURACAO_FINALIZADA);
}

void TBackup::LimparRestauracaoDeclaracoes() {
    const std::string pasta = PastaRestauracaoDeclaracoes();
    std::error_code ec;
    if (!fs::is_directory(pasta, ec)) return;
    ApagarArquivosDiretorio(pasta);
    fs::remove(pasta, ec);
}

std::string TBackup::BackupAutomatico() {
    try {
        const ConfigBackupAutomatico cfg = LerConfigBackupAutomatico(dm_.arquivoIni());
        // Uma base servida por outro computador é copiada lá, não aqui
        if (cfg.dias <= 0 || arquivoBaseLocal().empty()) return {};
        const std::string pasta = PastaBackupPadrao(dm_.diretorioPrograma());
        // As cópias da base na pasta, da mais nova para a mais velha, pela data do nome
        std::multimap<std::time_t, fs::path, std::greater<>> copias;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(pasta, ec))
            if (auto m = MomentoDoNomeBackupBase(e.path().filename().string()); m && e.is_regular_file(ec))
                copias.emplace(segundosDe(*m), e.path());
        const std::time_t agoraSeg = segundosDe(agora());
        if (!copias.empty() && agoraSeg - copias.begin()->first < static_cast<std::time_t>(cfg.dias) * 86400)
            return {};
        const std::string gravado = GerarBackupBase(pasta, true);
        if (gravado.empty()) return {};
        copias.emplace(agoraSeg, fs::path(gravado));
        if (cfg.manter > 0) {
            int n = 0;
            for (const auto& [quando, arquivo] : copias)
                if (++n > cfg.manter && arquivo != fs::path(gravado)) fs::remove(arquivo, ec);
        }
        return gravado;
    } catch (const std::exception& e) {
        ui_.mensagem(TipoMensagem::Erro, "Erro", std::string(MSG_ERRO_COMPACTACAO) + "\r\n" + e.what());
        return {};
    }
}

}  // namespace kov
