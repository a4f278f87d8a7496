#include "data/dmPrincipal.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <random>

#include "data/AberturaBase.h"
#include "data/fb/Comando.h"
#include "data/fb/ErroBanco.h"
#include "data/fb/Transacao.h"
#include "data/untUtils.h"
#include "platform/Interacao.h"
#include "platform/ServicoBanco.h"

namespace kov {

namespace {

std::string maiusculas(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool caminhoDeServidor(const std::string& c) {
    const auto p = c.find(':');
    return p != std::string::npos && p > 1;
}

std::optional<int> inteiroOuNulo(const fb::Valor& v) {
    if (v.nulo()) return std::nullopt;
    return static_cast<int>(v.inteiro());
}

}  // namespace

std::string ArquivoLocalDaBase(const std::string& caminho) {
    if (!caminhoDeServidor(caminho)) return caminho;
    const auto p = caminho.find(':');
    const std::string host = caminho.substr(0, p);
    if (host == "localhost" || host == "127.0.0.1") return caminho.substr(p + 1);
    return {};
}

std::string ResolverCaminhoBanco(const std::string& database, const std::string& diretorioPrograma) {
    std::string c = database;
    std::replace(c.begin(), c.end(), '\\', '/');
    if (c.empty() || caminhoDeServidor(c)) return c;
    std::filesystem::path p(c);
    if (p.is_relative()) p = std::filesystem::path(diretorioPrograma) / p;
    return p.lexically_normal().string();
}

Tdm::Tdm(Interacao& ui, std::string diretorioPrograma) : ui_(ui), dirPrograma_(std::move(diretorioPrograma)) {
    if (dirPrograma_.empty()) dirPrograma_ = DiretorioAplicacao();
    dirPrograma_ = IncluirBarra(dirPrograma_);
}

Tdm::~Tdm() {
    if (MainConnection.aberta()) MainConnectionBeforeDisconnect();
    MainConnection.fechar();
}

std::string Tdm::arquivoIni() const { return dirPrograma_ + ConfigApp.SiglaSistema + ".ini"; }

void Tdm::DataModuleCreate() {
    const std::string prefixo = "Erro na abertura da base : \r\n";
    reuso_.reset();
    try {
        FecharReferencias();
        if (MainConnection.aberta()) MainConnectionBeforeDisconnect();
        MainConnection.fechar();
        usuario_ = LerIni(arquivoIni(), ConfigApp.SiglaSistema, "Usuario");
        senha_ = LerIni(arquivoIni(), ConfigApp.SiglaSistema, "Senha");
        if (bancoForcado_.empty()) {
            database_ = LerIni(arquivoIni(), ConfigApp.SiglaSistema, "Database");
            caminho_ = ResolverCaminhoBanco(database_, dirPrograma_);
        } else {
            database_ = bancoForcado_;
            caminho_ = ResolverCaminhoBanco(bancoForcado_, dirPrograma_);
        }
        abrirBaseVerificada();
    } catch (const fb::ErroBanco& e) {
        // O que aconteceu e o que fazer vêm antes do texto do servidor
        DefinirConexao(false);
        const std::string explicacao = ExplicarFalhaAbertura(e, caminho_);
        ui_.erro(prefixo + (explicacao.empty() ? "" : explicacao + "\r\n") + e.what());
        return;
    } catch (const std::exception& e) {
        DefinirConexao(false);
        ui_.erro(prefixo + e.what());
        return;
    }
    try {
        AtualizarBaseDados();
    } catch (const std::exception& e) {
        // Nada roda sobre uma base que não chegou à versão do programa
        ui_.erro(e.what());
        terminar_ = true;
        DefinirConexao(false);
        return;
    }
    if (terminar_) return;
    reuso_ = std::make_unique<fb::ReusoDeComandos>(MainConnection);
    try {
        AbrirReferencias();
    } catch (const std::exception& e) {
        ui_.erro(e.what());
    }
}

namespace {

// Confere numa cópia temporária se o arquivo é uma base do KOV, sem abrir o original.
// Vazio quando não se consegue conferir (a cópia não abre): quem chama abre o original, que
// dá o erro do servidor com o caminho verdadeiro.
std::optional<bool> conferirNumaCopia(const std::string& arquivo) {
    namespace fs = std::filesystem;
    const fs::path pasta = fs::temp_directory_path() / ("kov-conferencia-" + std::to_string(std::random_device{}()));
    std::error_code ec;
    fs::create_directories(pasta, ec);
    if (ec) return std::nullopt;
    std::optional<bool> resultado;
    try {
        const fs::path copia = pasta / "base.gdb";
        fs::copy_file(arquivo, copia);
        fb::Conexao c;
        fb::ParametrosConexao p;
        p.banco = copia.string();
        c.abrir(p);
        {
            auto tr = fb::Transacao::leitura(c);
            resultado = TemTabelasDoKOV(tr);
        }
        c.fechar();
    } catch (const std::exception&) {
        resultado.reset();
    }
    fs::remove_all(pasta, ec);
    return resultado;
}

}  // namespace

void Tdm::abrirBaseVerificada() {
    // Abrir uma base grava no seu cabeçalho. Um arquivo local que não mostra as tabelas do KOV
    // nos seus bytes é conferido numa cópia, para que a base de outro programa fique intacta.
    const std::string arquivo = ArquivoLocalDaBase(caminho_);
    if (!arquivo.empty() && std::filesystem::is_regular_file(arquivo) && !PareceBaseDoKOV(arquivo) &&
        conferirNumaCopia(arquivo) == false)
        throw ErroSistema(MensagemBaseEstranha(caminho_));
    abrirConexao();
    bool doKOV;
    {
        auto tr = fb::Transacao::leitura(MainConnection);
        doKOV = TemTabelasDoKOV(tr);
        // Um usuário próprio do escritório que não é dono da base entra, mas não lê as
        // tabelas: a falha aparece aqui, com a explicação, e não na primeira tela.
        if (doKOV) fb::Comando(tr, "SELECT FIRST 1 DOCUMENTO_ID FROM DOCUMENTO").proximo();
    }
    if (!doKOV) {
        DefinirConexao(false);
        throw ErroSistema(MensagemBaseEstranha(caminho_));
    }
}

fb::ParametrosConexao Tdm::parametrosConexao() const {
    fb::ParametrosConexao p;
    p.banco = caminho_;
    if (caminhoDeServidor(caminho_)) {
        if (!usuario_.empty()) p.usuario = usuario_;
        if (!senha_.empty()) p.senha = senha_;
    }
    return p;
}

void Tdm::abrirConexao() { MainConnection.abrir(parametrosConexao()); }

void Tdm::DefinirConexao(bool abrir) {
    if (abrir) {
        if (!MainConnection.aberta()) abrirConexao();
    } else if (MainConnection.aberta()) {
        MainConnectionBeforeDisconnect();
        MainConnection.fechar();
    }
}

void Tdm::MainConnectionBeforeDisconnect() { FecharReferencias(); }

bool Tdm::ServicoFirebird(int acao) { return kov::ServicoFirebird(acao); }

std::string Tdm::LerParametro(const std::string& nome) {
    auto tr = fb::Transacao::leitura(MainConnection);
    std::string valor = LerParametro(tr, nome);
    tr.commit();
    return valor;
}

std::string Tdm::LerParametro(fb::Transacao& tr, const std::string& nome) {
    fb::Comando q(tr, "SELECT * FROM PARAMETROS");
    const std::string alvo = maiusculas(nome);
    while (q.proximo())
        if (maiusculas(q["CAMPO"].texto()) == alvo) return q["VALOR"].texto();
    return {};
}

void Tdm::GravarParametro(const std::string& nome, const std::string& valor) {
    try {
        fb::Transacao tr(MainConnection);
        fb::Comando atualiza(tr, "UPDATE PARAMETROS SET VALOR = :VALOR WHERE UPPER(CAMPO) = UPPER(:CAMPO)");
        atualiza.param("VALOR", valor).param("CAMPO", nome);
        atualiza.executar();
        fb::Comando existe(tr, "SELECT COUNT(*) FROM PARAMETROS WHERE UPPER(CAMPO) = UPPER(:CAMPO)");
        existe.param("CAMPO", nome);
        existe.proximo();
        if (existe.coluna(0).inteiro() == 0) {
            fb::Comando insere(tr, "INSERT INTO PARAMETROS (CAMPO, VALOR) VALUES (:CAMPO, :VALOR)");
            insere.param("CAMPO", nome).param("VALOR", valor);
            insere.executar();
        }
        tr.commit();
    } catch (const std::exception& e) {
        throw ErroSistema("Erro ao gravar parâmetro\r\n" + std::string(e.what()));
    }
}

void Tdm::FecharReferencias() { ref.fechar(); }

void Tdm::AbrirReferencias() {
    TabelasReferencia r;
    auto tr = fb::Transacao::leitura(MainConnection);
    {
        fb::Comando q(tr, "SELECT * FROM TIPOCONTRIBUINTE");
        while (q.proximo())
            r.cdsTipoContribuinte.push_back({static_cast<int>(q["TIPOCONTRIBUINTE_ID"].inteiro()), q["TITULO"].texto()});
    }
    {
        fb::Comando q(tr, "SELECT * FROM TIPOOPERACAO");
        while (q.proximo())
            r.cdsTipoOperacao.push_back({static_cast<int>(q["TIPOOPERACAO_ID"].inteiro()), q["DESCRICAO"].texto()});
    }
    {
        fb::Comando q(tr,
                      "SELECT TRANSMISSAO_ID, DOCUMENTO_ID, HORA, DATA, PROTOCOLO, TIPOTRANSMISSAO, STATUS "
                      "FROM TRANSMISSAO ORDER BY DATA, HORA");
        while (q.proximo()) {
            LinhaTransmissao t;
            t.TRANSMISSAO_ID = static_cast<int>(q["TRANSMISSAO_ID"].inteiro());
            t.DOCUMENTO_ID = inteiroOuNulo(q["DOCUMENTO_ID"]);
            t.HORA = q["HORA"].texto();
            if (!q["DATA"].nulo()) t.DATA = q["DATA"].data();
            t.PROTOCOLO = q["PROTOCOLO"].texto();
            t.TIPOTRANSMISSAO = q["TIPOTRANSMISSAO"].texto();
            t.STATUS = inteiroOuNulo(q["STATUS"]);
            r.cdsTransmissao.push_back(std::move(t));
        }
    }
    {
        fb::Comando q(tr, "SELECT * FROM UF");
        while (q.proximo()) r.cdsUF.push_back({q["UF_ID"].texto(), q["DESCRICAO"].texto()});
    }
    {
        fb::Comando q(tr, "SELECT * FROM CNAEF ORDER BY CNAEF_ID,DESMEMBRAMENTO");
        while (q.proximo())
            r.cdsCNAEF.push_back({q["CNAEF_ID"].texto(), q["DESMEMBRAMENTO"].texto(), q["DESCRICAO"].texto(),
                                  q["DATA_INICIO"].data(), q["DATA_FIM"].data()});
    }
    {
        // Ordem alfabética do português: acentos não mandam os nomes para o fim da lista
        fb::Comando q(tr, "SELECT * FROM MUNICIPIO ORDER BY DESCRICAO COLLATE WIN_PTBR");
        while (q.proximo())
            r.cdsMunicipio.push_back({static_cast<int>(q["CODDRUMUNICIPIO"].inteiro()),
                                      static_cast<int>(q["MUNICIPIO_ID"].inteiro()), q["DESCRICAO"].texto()});
    }
    {
        fb::Comando q(tr, "SELECT * FROM REGIME");
        while (q.proximo())
            r.cdsRegime.push_back({static_cast<int>(q["REGIME_ID"].inteiro()), inteiroOuNulo(q["CODIGO"]),
                                   q["DESCRICAO"].texto(), q["PERCENTUAL"].dinheiro()});
    }
    {
        fb::Comando q(tr, "SELECT * FROM STATUSDOC");
        while (q.proximo())
            r.cdsStatusDoc.push_back({static_cast<int>(q["STATUSDOC_ID"].inteiro()), q["DESCRICAO"].texto()});
    }
    {
        fb::Comando q(tr, "SELECT * FROM CONSISTENCIAS");
        while (q.proximo())
            r.cdsConsistencias.push_back({q["ERRO"].texto(), q["PAGINA"].texto(), q["ABA"].texto(), q["CAMPO"].texto(),
                                          q["MENSAGEM"].texto(), q["DICA"].texto(), q["FORMULARIO"].texto()});
    }
    {
        fb::Comando q(tr, "SELECT * FROM TIPORECOLHIMENTO");
        while (q.proximo())
            r.cdsTipoRecolhimento.push_back(
                {static_cast<int>(q["TIPORECOLHIMENTO_ID"].inteiro()), q["DESCRICAO"].texto()});
    }
    tr.commit();
    r.abertas = true;
    ref = std::move(r);
}

std::vector<LinhaCNAEF> Tdm::CNAEFDoAnoBase() { return CNAEFDoAnoBase(LerParametro("ANOEXERCICIO")); }

std::vector<LinhaCNAEF> Tdm::CNAEFDoAnoBase(const std::string& anoExercicio) const {
    std::vector<LinhaCNAEF> v;
    int ano = 0;
    try {
        ano = std::stoi(anoExercicio);
    } catch (...) {
        return v;
    }
    const fb::Data d{std::chrono::year(ano + 1), std::chrono::January, std::chrono::day(1)};
    for (const auto& c : ref.cdsCNAEF)
        if (c.DATA_INICIO <= d && c.DATA_FIM >= d) v.push_back(c);
    return v;
}

}  // namespace kov
