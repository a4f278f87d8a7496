// Verificação da versão da base e a escada de atualização do esquema, um passo por versão.
// Cada passo só roda quando VERSAO é a sua versão de partida e termina gravando a seguinte;
// o único estado entre execuções é o VERSAO gravado na própria base.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "data/AtualizacaoCNAE.h"
#include "data/dmPrincipal.h"
#include "data/fb/Comando.h"
#include "data/fb/ErroBanco.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

namespace fs = std::filesystem;

namespace kov {

namespace {

const char* const NAO_ATUALIZOU = "Não foi possível atualizar a base de dados.";

std::string comandoAno(const std::string& ano) {
    return "UPDATE PARAMETROS SET VALOR = '" + ano + "' WHERE CAMPO = 'ANOEXERCICIO'";
}
std::string comandoVersao(const std::string& versao) {
    return "UPDATE PARAMETROS SET VALOR = '" + versao + "' WHERE CAMPO = 'VERSAO'";
}

std::string lerVersao(fb::Transacao& tr) {
    fb::Comando q(tr, "SELECT VALOR FROM PARAMETROS WHERE CAMPO = 'VERSAO'");
    return q.proximo() ? q.coluna(0).texto() : std::string();
}

bool existeTabela(fb::Transacao& tr, const std::string& tabela) {
    fb::Comando q(tr, "SELECT RDB$RELATION_NAME FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0 AND RDB$RELATION_NAME = '" +
                          tabela + "'");
    return q.proximo();
}

bool existeColuna(fb::Transacao& tr, const std::string& tabela, const std::string& coluna) {
    fb::Comando q(tr, "SELECT 1 FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = '" + tabela +
                          "' AND RDB$FIELD_NAME = '" + coluna + "'");
    return q.proximo();
}

bool existe(fb::Transacao& tr, const std::string& sql) {
    fb::Comando q(tr, sql);
    return q.proximo();
}

bool caminhoLocal(const std::string& c) {
    const auto p = c.find(':');
    return p == std::string::npos || p == 1;
}

// Caminho do arquivo quando a base está nesta máquina (caminho simples ou localhost:).
std::string arquivoLocal(const std::string& banco) {
    if (caminhoLocal(banco)) return banco;
    const auto p = banco.find(':');
    const std::string host = banco.substr(0, p);
    if (host == "localhost" || host == "127.0.0.1") return banco.substr(p + 1);
    return {};
}

}  // namespace

// Um passo da escada. Os comandos rodam na ordem; "ano" vazio deixa ANOEXERCICIO como está.
struct PassoEscada {
    const char* de;
    const char* para;
    std::vector<std::string> comandos;
    const char* ano = nullptr;
    bool duasTransacoes = false;    // 1ª transação: só comandos[0] (mudança de tabela)
    bool versaoAntesDoAno = false;
    bool consolidarExclusoes = false;
};

namespace {

const std::vector<PassoEscada>& escada() {
    static const std::string larguraRegime = "ALTER TABLE REGIME ALTER DESCRICAO TYPE VARCHAR(60)";
    static const std::string descricaoRegime4 =
        "UPDATE REGIME SET DESCRICAO='Microprodutor Rural, Produtor de Pequeno Porte' WHERE REGIME_ID=4";
    static const std::vector<PassoEscada> passos = {
        {"7.01.00", "7.01.01", {}},
        {"7.01.01", "7.01.02", {}},
        {"7.01.02", "7.01.03",
         {"UPDATE DETALHAMENTOENTRADA SET DETALHAMENTOENTRADA.VALOR = 0 WHERE DETALHAMENTOENTRADA.VALOR < 0",
          "UPDATE DETALHAMENTOENTRADA SET DETALHAMENTOENTRADA.VALORMUDANCA = 0 WHERE DETALHAMENTOENTRADA.VALORMUDANCA < 0"}},
        {"7.01.03", "7.02.00", {}, "2007"},
        {"7.02.00", "7.02.01", {}, "2007"},
        {"7.02.01", "7.02.02", {larguraRegime, descricaoRegime4}, "2008", true, true},
        {"7.02.02", "7.02.03", {larguraRegime, descricaoRegime4}, "2008", true, true},
        {"7.02.03", "7.03.00", {}, "2008"},
        {"7.03.00", "7.03.01", {}, "2008"},
        {"7.03.01", "7.04.00", {}, "2009"},
        // O Firebird recusa acrescentar coluna NOT NULL sem valor padrão a uma tabela com linhas:
        // com o padrão vazio, os contribuintes existentes ficam com CNPJ vazio (a completar no
        // cadastro) em vez de impedir a atualização.
        {"7.04.00", "7.05.00", {"ALTER TABLE CONTRIBUINTE ADD CNPJ VARCHAR(14) DEFAULT '' NOT NULL"}, "2010"},
        {"7.05.00", "7.05.01", {}, "2010"},
        {"7.05.01", "7.05.02", {}, "2010"},
        {"7.05.02", "7.05.03", {}, "2011"},
        {"7.05.03", "7.05.04", {}, "2012"},
        {"7.05.04", "7.05.05", {}, "2011"},
        {"7.05.05", "7.06.00", {}, "2011"},
        {"7.06.00", "7.06.01", {}, "2011"},
        {"7.06.01", "7.07.01", {}, "2012"},
        {"7.07.01", "7.07.02", {}, "2012"},
        {"7.07.02", "7.07.03", {}, "2012"},
        {"7.07.03", "7.07.04",
         {"ALTER TABLE EXCLUSOESKOV ADD ENTAJUSTETRANSFERENCIA NUMERIC(13, 2)",
          "ALTER TABLE EXCLUSOESKOV ADD SAIAJUSTETRANSFERENCIA NUMERIC(13, 2)"},
         "2013", false, false, true},
        {"7.07.04", "7.07.05", {}, "2013", false, false, true},
        {"7.07.05", "7.07.06", {}, "2013", false, false, true},
        {"7.07.06", "7.07.07", {}, "2014", false, false, true},
        {"7.07.07", "7.07.08", {}, "2014"},
        {"7.07.08", "7.07.09", {}, "2015"},
        {"7.07.09", "7.07.10", {}, "2016"},
    };
    return passos;
}

bool versaoNaEscada(const std::string& v) {
    if (v == "7.00.04") return true;
    for (const auto& p : escada())
        if (v == p.de) return true;
    return false;
}

}  // namespace

std::string Tdm::pastaBanco() const {
    const std::string local = arquivoLocal(caminho_);
    if (!local.empty()) {
        const auto pasta = fs::path(local).parent_path();
        if (!pasta.empty()) return pasta.string() + "/";
    }
    return (fs::path(dirPrograma_) / ".." / "BD").lexically_normal().string() + "/";
}

std::string Tdm::LerVersaoBanco() {
    auto tr = fb::Transacao::leitura(MainConnection);
    fb::Comando q(tr, "SELECT VALOR FROM PARAMETROS WHERE CAMPO = " + std::string("'VERSAO'"));
    if (q.proximo()) return q["VALOR"].texto();
    return {};
}

std::string Tdm::comCopia(const std::string& texto) const {
    if (copia_.empty()) return texto;
    return texto + "\r\nCópia da base anterior à atualização: " + copia_;
}

void Tdm::fazerCopiaSeguranca(const std::string& versao) {
    const std::string arquivo = arquivoLocal(caminho_);
    if (arquivo.empty()) return;  // base em outro computador: não há como copiar daqui
    const fs::path origem(arquivo);
    const std::string base = origem.stem().string() + "-" + versao;
    fs::path destino = origem.parent_path() / (base + origem.extension().string());
    // Uma cópia de uma tentativa anterior é a base original: nunca é sobrescrita
    for (int n = 2; fs::exists(destino); ++n)
        destino = origem.parent_path() / (base + "-" + std::to_string(n) + origem.extension().string());
    // Copiada com a conexão fechada, para o arquivo estar íntegro
    MainConnectionBeforeDisconnect();
    MainConnection.fechar();
    try {
        fs::copy_file(origem, destino);
        // A cópia fica com o dono da base (um servidor Firebird precisa conseguir abri-la)
        struct stat st {};
        if (::stat(origem.c_str(), &st) == 0 && ::chown(destino.c_str(), st.st_uid, st.st_gid) != 0) {
            // sem permissão para trocar o dono: a cópia fica do usuário que atualizou
        }
        const int fd = ::open(destino.c_str(), O_RDONLY);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    } catch (const std::exception& e) {
        std::error_code ec;
        fs::remove(destino, ec);
        abrirConexao();
        throw ErroSistema("Não foi possível fazer a cópia de segurança da base antes de atualizá-la:\r\n" +
                          std::string(e.what()) + "\r\n" + NAO_ATUALIZOU);
    }
    copia_ = destino.string();
    abrirConexao();
}

bool Tdm::VerificarParametros() {
    bool temParametros;
    {
        auto tr = fb::Transacao::leitura(MainConnection);
        temParametros = existeTabela(tr, "PARAMETROS");
    }
    fb::Transacao tr(MainConnection);
    if (!temParametros) {
        try {
            fb::Comando::executarDireto(tr,
                                        "CREATE TABLE PARAMETROS (CAMPO VARCHAR(30) NOT NULL, VALOR VARCHAR(100), "
                                        "CONSTRAINT PK_PARAMETROS PRIMARY KEY (CAMPO))");
            tr.commit();
        } catch (const std::exception& e) {
            tr.rollback();
            throw ErroSistema(std::string(e.what()) + "\r\n" + NAO_ATUALIZOU);
        }
        DefinirConexao(false);
        abrirConexao();
        try {
            fb::Transacao t2(MainConnection);
            fb::Comando ins(t2, "INSERT INTO PARAMETROS (CAMPO, VALOR) VALUES (:CAMPO, :VALOR);");
            ins.param("CAMPO", "VERSAO").param("VALOR", "7.00.04").executar();
            t2.commit();
        } catch (const std::exception&) {
            return false;
        }
        return true;
    }
    if (lerVersao(tr).empty()) {
        tr.rollback();
        throw ErroSistema(std::string("Não foi possível detectar a versão do banco de dados. Contacte o suporte da DRU.") +
                          "\r\n" + NAO_ATUALIZOU);
    }
    tr.rollback();
    return true;
}

bool Tdm::executarPasso(const PassoEscada& p) {
    auto falha = [&](fb::Transacao& tr, const std::exception& e) -> ErroSistema {
        tr.rollback();
        return ErroSistema(std::string(e.what()) + "\r\n" + NAO_ATUALIZOU);
    };
    size_t inicio = 0;
    if (p.duasTransacoes) {
        fb::Transacao tr(MainConnection);
        if (lerVersao(tr) != p.de) return true;
        try {
            fb::Comando::executarDireto(tr, p.comandos[0]);
            tr.commit();
        } catch (const std::exception& e) {
            throw falha(tr, e);
        }
        inicio = 1;
    }
    fb::Transacao tr(MainConnection);
    if (lerVersao(tr) != p.de) return true;
    ui_.mostrarStatus("Atualizando a base de dados para a versão " + std::string(p.para) + ". Aguarde...");
    try {
        for (size_t i = inicio; i < p.comandos.size(); ++i) fb::Comando::executarDireto(tr, p.comandos[i]);
        if (p.versaoAntesDoAno) {
            fb::Comando::executarDireto(tr, comandoVersao(p.para));
            if (p.ano) fb::Comando::executarDireto(tr, comandoAno(p.ano));
        } else {
            if (p.ano) fb::Comando::executarDireto(tr, comandoAno(p.ano));
            fb::Comando::executarDireto(tr, comandoVersao(p.para));
        }
        if (p.consolidarExclusoes) ConsolidarExclusoesOutras(tr);
        tr.commit();
    } catch (const std::exception& e) {
        throw falha(tr, e);
    }
    return true;
}

void Tdm::ConsolidarExclusoesOutras(fb::Transacao& tr) {
    // Todas as linhas, de qualquer ano: nenhuma declaração pode ficar com valores em colunas
    // que nenhum total soma mais. Repetir soma zeros.
    fb::Comando::executarDireto(
        tr,
        "UPDATE EXCLUSOESKOV SET "
        "ENTOUTRAS = COALESCE(ENTOUTRAS, 0) + COALESCE(ENTENTREGAFUTURA, 0) + COALESCE(ENTMERCADORIASUSP, 0) + "
        "COALESCE(ENTSIMPLESREMESSA, 0) + COALESCE(ENTARMAZENAMENTODEPOSITO, 0) + COALESCE(ENTCONSIGNACAO, 0), "
        "SAIOUTRAS = COALESCE(SAIOUTRAS, 0) + COALESCE(SAIENTREGAFUTURA, 0) + COALESCE(SAIMERCADIORIASUSP, 0) + "
        "COALESCE(SAISIMPLESREMESSA, 0) + COALESCE(SAIARMAZENAMENTODEPOSITO, 0) + COALESCE(SAICONSIGNACAO, 0), "
        "ENTENTREGAFUTURA = 0, ENTMERCADORIASUSP = 0, ENTSIMPLESREMESSA = 0, ENTARMAZENAMENTODEPOSITO = 0, "
        "ENTCONSIGNACAO = 0, SAIENTREGAFUTURA = 0, SAIMERCADIORIASUSP = 0, SAISIMPLESREMESSA = 0, "
        "SAIARMAZENAMENTODEPOSITO = 0, SAICONSIGNACAO = 0 "
        "WHERE COALESCE(ENTENTREGAFUTURA, 0) <> 0 OR COALESCE(ENTMERCADORIASUSP, 0) <> 0 OR "
        "COALESCE(ENTSIMPLESREMESSA, 0) <> 0 OR COALESCE(ENTARMAZENAMENTODEPOSITO, 0) <> 0 OR "
        "COALESCE(ENTCONSIGNACAO, 0) <> 0 OR COALESCE(SAIENTREGAFUTURA, 0) <> 0 OR "
        "COALESCE(SAIMERCADIORIASUSP, 0) <> 0 OR COALESCE(SAISIMPLESREMESSA, 0) <> 0 OR "
        "COALESCE(SAIARMAZENAMENTODEPOSITO, 0) <> 0 OR COALESCE(SAICONSIGNACAO, 0) <> 0");
}

bool Tdm::AtualizarVersao70004() {
    {
        auto tr = fb::Transacao::leitura(MainConnection);
        if (lerVersao(tr) != "7.00.04") return true;
    }
    ui_.mostrarStatus("Atualizando a base de dados para a versão 7.01.00. Aguarde...");
    // O script roda numa segunda conexão, com a principal fechada
    MainConnectionBeforeDisconnect();
    MainConnection.fechar();
    fb::Conexao ib;
    try {
        fb::ParametrosConexao p;
        p.banco = caminho_;
        ib.abrir(p);
        fb::Transacao tr(ib);
        // Cada comando é confirmado em seguida. Os que já valem são pulados, para que um
        // script interrompido possa ser retomado no próximo início.
        auto confirmar = [&] {
            tr.commit();
            tr.iniciar();
        };
        auto rodar = [&](bool jaFeito, const std::string& sql) {
            if (!jaFeito) fb::Comando::executarDireto(tr, sql);
            confirmar();
        };
        rodar(existeTabela(tr, "RESPONSAVEL"),
              "CREATE TABLE RESPONSAVEL (RESPONSAVEL_ID INTEGER NOT NULL, NOME VARCHAR(40) NOT NULL, DDD VARCHAR(3) "
              "NOT NULL, TELEFONE VARCHAR(8) NOT NULL, EMAIL VARCHAR(50) NOT NULL)");
        rodar(existe(tr, "SELECT 1 FROM RDB$RELATION_CONSTRAINTS WHERE RDB$CONSTRAINT_NAME = 'PK_RESPONSAVEL'"),
              "ALTER TABLE RESPONSAVEL ADD CONSTRAINT PK_RESPONSAVEL PRIMARY KEY (RESPONSAVEL_ID)");
        rodar(existe(tr, "SELECT 1 FROM RESPONSAVEL WHERE RESPONSAVEL_ID = 0"),
              "INSERT INTO RESPONSAVEL VALUES(0,'Não atribuído','','','')");
        rodar(existeColuna(tr, "CONTRIBUINTE", "RESPONSAVEL_ID"),
              "ALTER TABLE CONTRIBUINTE ADD RESPONSAVEL_ID INTEGER DEFAULT 0 NOT NULL");
        const bool temGerador =
            existe(tr, "SELECT 1 FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = 'GEN_RESPONSAVEL'");
        rodar(temGerador, "CREATE GENERATOR GEN_RESPONSAVEL");
        rodar(temGerador, "SET GENERATOR GEN_RESPONSAVEL TO 0");
        rodar(false,
              "ALTER PROCEDURE SP_GERACODIGO (STABELA CHAR(30)) RETURNS (IPROXCODIGO INTEGER) AS BEGIN "
              "IF (STABELA = 'CONTRIBUINTE') THEN IPROXCODIGO = GEN_ID(GEN_CONTRIBUINTE, 1); "
              "ELSE IF (STABELA = 'DOCUMENTO') THEN IPROXCODIGO = GEN_ID(GEN_DOCUMENTO, 1); "
              "ELSE IF (STABELA = 'TRANSMISSAO') THEN IPROXCODIGO = GEN_ID(GEN_TRANSMISSAO, 1); "
              "ELSE IF (STABELA = 'RESPONSAVEL') THEN IPROXCODIGO = GEN_ID(GEN_RESPONSAVEL, 1); END");
        const char* consistencias[][7] = {
            {"E037", "00", "00", "00", "Responsável (cadastro de contribuintes) não foi informado.",
             "Acessar o cadastro do contribuinte e selecionar um responsável pelos documentos.", "0"},
            {"E038", "00", "00", "00", "CNAEF imcompatível com o período de referência informado no documento.",
             "Certifique-se que o exercício informado nos parâmetros do sistema está correto e que a CNAEF/CNAE no "
             "cadastro de contribuinte esteja informada corretamente.",
             "0"},
            {"E039", "DOCUMENTO", "MUDANCAMUNICIPIO", "", "Existe um conflito de períodos na declaração.",
             "Certifique-se que não existe(m) outra(s) declaração(ôes) cujo período (\"Mês Inicial\" e \"Mês Final\") "
             "apresenta conflito no mesmo intervalo da declaração atual.",
             "1"},
        };
        for (const auto& c : consistencias) {
            if (existe(tr, std::string("SELECT 1 FROM CONSISTENCIAS WHERE ERRO = '") + c[0] + "'")) continue;
            fb::Comando ins(tr,
                            "INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) "
                            "VALUES (:ERRO, :PAGINA, :ABA, :CAMPO, :MENSAGEM, :DICA, :FORMULARIO)");
            ins.param("ERRO", c[0]).param("PAGINA", c[1]).param("ABA", c[2]).param("CAMPO", c[3]);
            ins.param("MENSAGEM", c[4]).param("DICA", c[5]).param("FORMULARIO", c[6]).executar();
        }
        confirmar();
        rodar(false, "UPDATE DOCUMENTO SET DOCUMENTO.STATUS_ID=0 WHERE DOCUMENTO.STATUS_ID=2");
        rodar(false, "UPDATE DOCUMENTO SET DOCUMENTO.STATUS_ID=1 WHERE (DOCUMENTO.STATUS_ID=2) AND (DOCUMENTO.PERIODO>=2007)");
        rodar(existe(tr, "SELECT 1 FROM PARAMETROS WHERE CAMPO = 'ANOEXERCICIO'"),
              "INSERT INTO PARAMETROS (CAMPO,VALOR) VALUES ('ANOEXERCICIO','2006')");
        rodar(!existe(tr, "SELECT 1 FROM RDB$RELATION_CONSTRAINTS WHERE RDB$CONSTRAINT_NAME = 'FK_CNAEF_CNAEF'"),
              "ALTER TABLE CNAEF DROP CONSTRAINT FK_CNAEF_CNAEF");
        rodar(!existeColuna(tr, "CNAEF", "CNAEFSUPERIOR"), "ALTER TABLE CNAEF DROP CNAEFSUPERIOR");
        rodar(!existeColuna(tr, "CNAEF", "DESMEMBRAMENTOSUPERIOR"), "ALTER TABLE CNAEF DROP DESMEMBRAMENTOSUPERIOR");
        rodar(existeColuna(tr, "CNAEF", "DATA_INICIO"), "ALTER TABLE CNAEF ADD DATA_INICIO DATE DEFAULT '01/01/2003' NOT NULL");
        rodar(existeColuna(tr, "CNAEF", "DATA_FIM"), "ALTER TABLE CNAEF ADD DATA_FIM DATE DEFAULT '12/31/2006' NOT NULL");
        if (!existeTabela(tr, "CNAEF_CNAE")) {
            fb::Comando::executarDireto(tr,
                                        "CREATE TABLE CNAEF_CNAE (CNAEF_ID VARCHAR(7) NOT NULL, DESMEMBRAMENTO_CNAEF "
                                        "VARCHAR(2) NOT NULL, CNAE_ID VARCHAR(7) NOT NULL, DESMEMBRAMENTO_CNAE VARCHAR(2) "
                                        "NOT NULL, CONSTRAINT PK_CNAEF_CNAE PRIMARY KEY (CNAEF_ID, "
                                        "DESMEMBRAMENTO_CNAEF, CNAE_ID, DESMEMBRAMENTO_CNAE))");
            fb::Comando::executarDireto(tr,
                                        "CREATE INDEX CNAEF_ID_DESMEMBRAMENTO ON CNAEF_CNAE (CNAEF_ID, DESMEMBRAMENTO_CNAEF)");
            fb::Comando::executarDireto(tr,
                                        "CREATE INDEX CNAE_ID_DESMEMBRAMENTO ON CNAEF_CNAE (CNAE_ID, DESMEMBRAMENTO_CNAE)");
        }
        confirmar();
        rodar(!existeColuna(tr, "TRANSMISSAO", "ARQUIVO"), "ALTER TABLE TRANSMISSAO DROP ARQUIVO");
        rodar(false, "UPDATE TRANSMISSAO SET TRANSMISSAO.TIPOTRANSMISSAO = 'T' WHERE TRANSMISSAO.PROTOCOLO IS NOT NULL");
        rodar(false, comandoVersao("7.01.00"));
        tr.commit();

        AtualizacaoCNAE cnae(ib, pastaBanco());
        cnae.AtualizarTabelaCNAE();
        cnae.CarregarCorrespondenciaCNAE();
        cnae.ConverterCNAEContribuintes();
        cnae.ConverterCNAEDocumentos();
    } catch (...) {
        ib.fechar();
        abrirConexao();
        throw;
    }
    ib.fechar();
    abrirConexao();
    return true;
}

void Tdm::AtualizarBaseDados() {
    copia_.clear();
    // Versão de partida: sem PARAMETROS a base é da 7.00.04
    std::string versao;
    bool temParametros;
    {
        auto tr = fb::Transacao::leitura(MainConnection);
        temParametros = existeTabela(tr, "PARAMETROS");
        if (temParametros) versao = lerVersao(tr);
    }
    if (!temParametros) versao = "7.00.04";
    const bool vaiMudar = versao != ConfigApp.Versao && versaoNaEscada(versao);
    if (vaiMudar) fazerCopiaSeguranca(versao);

    bool ok;
    try {
        ok = VerificarParametros();
        if (ok) ok = AtualizarVersao70004();
        for (const auto& passo : escada()) {
            if (!ok) break;
            ok = executarPasso(passo);
        }
    } catch (const std::exception& e) {
        ui_.limparStatus();
        throw ErroSistema(comCopia(e.what()));
    }
    ui_.limparStatus();
    if (ok) {
        const std::string atual = LerVersaoBanco();
        if (atual != ConfigApp.Versao) {
            ui_.mensagem(TipoMensagem::Aviso, "Atenção",
                         "Versão do Sistema (" + ConfigApp.Versao + ") incompatível com a versão do banco de dados (" +
                             atual + "). " + "\r" + "Não é possível executar o PRELO." + "\r" +
                             "Contacte o suporte da DRU.");
            terminar_ = true;
        }
    } else {
        ui_.mensagem(TipoMensagem::Aviso, "Atenção",
                     comCopia("Ocorreram erros na conversão da base de dados.\rNão é possível executar o PRELO.\r"
                              "Contacte o suporte da DRU."));
        terminar_ = true;
    }
    if (terminar_) {
        DefinirConexao(false);
        return;
    }
    if (!vaiMudar) return;  // nada mudou: a conexão segue como está
    // Reabre a conexão para as consultas verem o esquema novo
    try {
        DefinirConexao(false);
        abrirConexao();
    } catch (const std::exception&) {
        ui_.mensagem(TipoMensagem::Aviso, "Atenção",
                     "Não é possível conectar ao banco de dados após a conversão.\rContacte o suporte da DRU.");
        return;
    }
    ui_.mensagem(TipoMensagem::Informacao, "Atenção",
                 comCopia("A base de dados foi atualizada da versão " + versao + " para a versão " + ConfigApp.Versao +
                          "."));
}

}  // namespace kov
