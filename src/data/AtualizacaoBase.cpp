// Verificação da versão da base e a escada de atualização do esquema, um passo por versão.
// Cada passo só roda quando VERSAO é a sua versão de partida e grava a seguinte na mesma
// transação do seu trabalho: uma atualização interrompida (processo morto, falta de energia)
// retoma, na próxima partida, do último passo confirmado. O passo que sai da 7.00.04 é feito
// de muitos comandos confirmados um a um; cada um grava, junto com o seu trabalho, o número
// do último comando concluído, e a versão 7.01.00 só é gravada depois de todos, inclusive das
// cargas e conversões da tabela CNAE.
#include <filesystem>
#include <functional>
#include <vector>

#include "data/AberturaBase.h"
#include "data/AtualizacaoCNAE.h"
#include "data/CopiaSeguranca.h"
#include "data/dmPrincipal.h"
#include "data/fb/Comando.h"
#include "data/fb/ErroBanco.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"
#include "platform/PontoParada.h"

namespace fs = std::filesystem;

namespace kov {

namespace {

const char* const NAO_ATUALIZOU = "Não foi possível atualizar a base de dados.";
const char* const VERSAO_SCRIPT = "7.00.04";
// Parâmetro que guarda, durante o passo que sai da 7.00.04, o último comando concluído.
const char* const MARCA_SCRIPT = "ATUALIZACAO70004";
const char* const PREFIXO_RESERVA = "KOV_RESERVA_";

std::string comandoAno(const std::string& ano) {
    return "UPDATE PARAMETROS SET VALOR = '" + ano + "' WHERE CAMPO = 'ANOEXERCICIO'";
}
std::string comandoVersao(const std::string& versao) {
    return "UPDATE PARAMETROS SET VALOR = '" + versao + "' WHERE CAMPO = 'VERSAO'";
}

void executar(fb::Transacao& tr, const std::string& sql) { fb::Comando::executarDireto(tr, sql); }

std::string lerVersao(fb::Transacao& tr) {
    fb::Comando q(tr, "SELECT VALOR FROM PARAMETROS WHERE CAMPO = 'VERSAO'");
    return q.proximo() ? q.coluna(0).texto() : std::string();
}

bool existe(fb::Transacao& tr, const std::string& sql) {
    fb::Comando q(tr, sql);
    return q.proximo();
}

bool existeTabela(fb::Transacao& tr, const std::string& tabela) {
    return existe(tr, "SELECT RDB$RELATION_NAME FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0 AND RDB$RELATION_NAME = '" +
                          tabela + "'");
}

bool existeColuna(fb::Transacao& tr, const std::string& tabela, const std::string& coluna) {
    return existe(tr, "SELECT 1 FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = '" + tabela +
                          "' AND RDB$FIELD_NAME = '" + coluna + "'");
}

bool existeRestricao(fb::Transacao& tr, const std::string& nome) {
    return existe(tr, "SELECT 1 FROM RDB$RELATION_CONSTRAINTS WHERE RDB$CONSTRAINT_NAME = '" + nome + "'");
}

bool existeIndice(fb::Transacao& tr, const std::string& nome) {
    return existe(tr, "SELECT 1 FROM RDB$INDICES WHERE RDB$INDEX_NAME = '" + nome + "'");
}

// Executa 'sql' só quando o que ele cria ainda não existe (o comando pode ter sido
// confirmado por uma execução anterior que não chegou a gravar a sua marca).
void garantir(fb::Transacao& tr, bool jaFeito, const std::string& sql) {
    if (!jaFeito) executar(tr, sql);
}

// Estado de PARAMETROS: ausente, vazia (criada por uma execução interrompida antes de receber
// a versão) ou com linhas.
enum class Parametros { Ausente, Vazia, ComLinhas };

Parametros estadoParametros(fb::Transacao& tr) {
    if (!existeTabela(tr, "PARAMETROS")) return Parametros::Ausente;
    return existe(tr, "SELECT FIRST 1 1 FROM PARAMETROS") ? Parametros::ComLinhas : Parametros::Vazia;
}

// O Firebird grava as páginas de uma tabela nova fora da transação que a cria, durante a
// confirmação. Um processo morto nesse meio deixa páginas registradas em RDB$PAGES para um
// número de tabela que não existe; a próxima tabela criada recebe esse número e a criação dos
// seus índices falha para sempre ("cannot create index"). Antes de criar uma tabela, uma
// tabela de reserva ocupa o número contaminado; apagada depois, ela leva essas páginas.
void liberarReservas(fb::Conexao& c) {
    std::vector<std::string> reservas;
    {
        auto tr = fb::Transacao::leitura(c);
        fb::Comando q(tr, std::string("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0 "
                                      "AND RDB$RELATION_NAME STARTING WITH '") +
                              PREFIXO_RESERVA + "'");
        while (q.proximo()) reservas.push_back(q.coluna(0).texto());
    }
    for (const auto& nome : reservas) {
        fb::Transacao tr(c);
        executar(tr, "DROP TABLE " + nome);
        tr.commit();
    }
}

void reservarNumerosContaminados(fb::Conexao& c) {
    liberarReservas(c);
    for (int n = 1; n <= 20; ++n) {
        {
            auto tr = fb::Transacao::leitura(c);
            if (!existe(tr, "SELECT FIRST 1 1 FROM RDB$PAGES P WHERE NOT EXISTS (SELECT 1 FROM RDB$RELATIONS R "
                            "WHERE R.RDB$RELATION_ID = P.RDB$RELATION_ID)"))
                return;
        }
        fb::Transacao tr(c);
        executar(tr, "CREATE TABLE " + std::string(PREFIXO_RESERVA) + std::to_string(n) + " (X INTEGER)");
        tr.commit();
    }
}

// Cria uma tabela (os comandos de 'criar' numa transação), protegida dos números de tabela
// contaminados. 'ponto' nomeia a parada de teste no meio da confirmação.
void criarTabela(fb::Conexao& c, const std::string& ponto, const std::function<void(fb::Transacao&)>& criar) {
    reservarNumerosContaminados(c);
    fb::Transacao tr(c);
    criar(tr);
    PontoDeParadaDurante(ponto.c_str());
    tr.commit();
    liberarReservas(c);
}

int lerMarcaScript(fb::Transacao& tr) {
    fb::Comando q(tr, std::string("SELECT VALOR FROM PARAMETROS WHERE CAMPO = '") + MARCA_SCRIPT + "'");
    if (!q.proximo()) return 0;
    try {
        return std::stoi(q.coluna(0).texto());
    } catch (...) {
        return 0;
    }
}

void gravarMarcaScript(fb::Transacao& tr, int n) {
    fb::Comando u(tr, "UPDATE OR INSERT INTO PARAMETROS (CAMPO, VALOR) VALUES (:CAMPO, :VALOR) MATCHING (CAMPO)");
    u.param("CAMPO", MARCA_SCRIPT).param("VALOR", std::to_string(n)).executar();
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
    if (v == VERSAO_SCRIPT) return true;
    for (const auto& p : escada())
        if (v == p.de) return true;
    return false;
}

// Os comandos do script que sai da 7.00.04, na ordem; cada um é confirmado com a sua marca.
struct ComandoScript {
    bool tabelaNova;  // cria uma tabela: protegido dos números de tabela contaminados
    std::function<void(fb::Transacao&)> rodar;
};

std::vector<ComandoScript> scriptDe70004() {
    auto sql = [](std::string s) { return [s](fb::Transacao& tr) { executar(tr, s); }; };
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
    std::vector<ComandoScript> s;
    s.push_back({true, [](fb::Transacao& tr) {
                     garantir(tr, existeTabela(tr, "RESPONSAVEL"),
                              "CREATE TABLE RESPONSAVEL (RESPONSAVEL_ID INTEGER NOT NULL, NOME VARCHAR(40) NOT NULL, "
                              "DDD VARCHAR(3) NOT NULL, TELEFONE VARCHAR(8) NOT NULL, EMAIL VARCHAR(50) NOT NULL)");
                 }});
    s.push_back({false, [](fb::Transacao& tr) {
                     garantir(tr, existeRestricao(tr, "PK_RESPONSAVEL"),
                              "ALTER TABLE RESPONSAVEL ADD CONSTRAINT PK_RESPONSAVEL PRIMARY KEY (RESPONSAVEL_ID)");
                 }});
    s.push_back({false, [](fb::Transacao& tr) {
                     garantir(tr, existe(tr, "SELECT 1 FROM RESPONSAVEL WHERE RESPONSAVEL_ID = 0"),
                              "INSERT INTO RESPONSAVEL VALUES(0,'Não atribuído','','','')");
                 }});
    s.push_back({false, [](fb::Transacao& tr) {
                     garantir(tr, existeColuna(tr, "CONTRIBUINTE", "RESPONSAVEL_ID"),
                              "ALTER TABLE CONTRIBUINTE ADD RESPONSAVEL_ID INTEGER DEFAULT 0 NOT NULL");
                 }});
    s.push_back({false, [](fb::Transacao& tr) {
                     garantir(tr, existe(tr, "SELECT 1 FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = 'GEN_RESPONSAVEL'"),
                              "CREATE GENERATOR GEN_RESPONSAVEL");
                 }});
    s.push_back({false, sql("SET GENERATOR GEN_RESPONSAVEL TO 0")});
    s.push_back({false, sql("ALTER PROCEDURE SP_GERACODIGO (STABELA CHAR(30)) RETURNS (IPROXCODIGO INTEGER) AS BEGIN "
                            "IF (STABELA = 'CONTRIBUINTE') THEN IPROXCODIGO = GEN_ID(GEN_CONTRIBUINTE, 1); "
                            "ELSE IF (STABELA = 'DOCUMENTO') THEN IPROXCODIGO = GEN_ID(GEN_DOCUMENTO, 1); "
                            "ELSE IF (STABELA = 'TRANSMISSAO') THEN IPROXCODIGO = GEN_ID(GEN_TRANSMISSAO, 1); "
                            "ELSE IF (STABELA = 'RESPONSAVEL') THEN IPROXCODIGO = GEN_ID(GEN_RESPONSAVEL, 1); END")});
    s.push_back({false, [consistencias](fb::Transacao& tr) {
                     for (const auto& c : consistencias) {
                         if (existe(tr, std::string("SELECT 1 FROM CONSISTENCIAS WHERE ERRO = '") + c[0] + "'")) continue;
                         fb::Comando ins(tr,
                                         "INSERT INTO CONSISTENCIAS (ERRO, PAGINA, ABA, CAMPO, MENSAGEM, DICA, FORMULARIO) "
                                         "VALUES (:ERRO, :PAGINA, :ABA, :CAMPO, :MENSAGEM, :DICA, :FORMULARIO)");
                         ins.param("ERRO", c[0]).param("PAGINA", c[1]).param("ABA", c[2]).param("CAMPO", c[3]);
                         ins.param("MENSAGEM", c[4]).param("DICA", c[5]).param("FORMULARIO", c[6]).executar();
                     }
                 }});
    s.push_back({false, sql("UPDATE DOCUMENTO SET DOCUMENTO.STATUS_ID=0 WHERE DOCUMENTO.STATUS_ID=2")});
    s.push_back({false, sql("UPDATE DOCUMENTO SET DOCUMENTO.STATUS_ID=1 WHERE (DOCUMENTO.STATUS_ID=2) AND "
                            "(DOCUMENTO.PERIODO>=2007)")});
    s.push_back({false, [](fb::Transacao& tr) {
                     garantir(tr, existe(tr, "SELECT 1 FROM PARAMETROS WHERE CAMPO = 'ANOEXERCICIO'"),
                              "INSERT INTO PARAMETROS (CAMPO,VALOR) VALUES ('ANOEXERCICIO','2006')");
                 }});
    s.push_back({false, [](fb::Transacao& tr) {
                     garantir(tr, !existeRestricao(tr, "FK_CNAEF_CNAEF"), "ALTER TABLE CNAEF DROP CONSTRAINT FK_CNAEF_CNAEF");
                 }});
    s.push_back({false, [](fb::Transacao& tr) {
                     garantir(tr, !existeColuna(tr, "CNAEF", "CNAEFSUPERIOR"), "ALTER TABLE CNAEF DROP CNAEFSUPERIOR");
                 }});
    s.push_back({false, [](fb::Transacao& tr) {
                     garantir(tr, !existeColuna(tr, "CNAEF", "DESMEMBRAMENTOSUPERIOR"),
                              "ALTER TABLE CNAEF DROP DESMEMBRAMENTOSUPERIOR");
                 }});
    s.push_back({false, [](fb::Transacao& tr) {
                     garantir(tr, existeColuna(tr, "CNAEF", "DATA_INICIO"),
                              "ALTER TABLE CNAEF ADD DATA_INICIO DATE DEFAULT '01/01/2003' NOT NULL");
                 }});
    s.push_back({false, [](fb::Transacao& tr) {
                     garantir(tr, existeColuna(tr, "CNAEF", "DATA_FIM"),
                              "ALTER TABLE CNAEF ADD DATA_FIM DATE DEFAULT '12/31/2006' NOT NULL");
                 }});
    s.push_back({true, [](fb::Transacao& tr) {
                     if (!existeTabela(tr, "CNAEF_CNAE"))
                         executar(tr, "CREATE TABLE CNAEF_CNAE (CNAEF_ID VARCHAR(7) NOT NULL, DESMEMBRAMENTO_CNAEF "
                                      "VARCHAR(2) NOT NULL, CNAE_ID VARCHAR(7) NOT NULL, DESMEMBRAMENTO_CNAE VARCHAR(2) "
                                      "NOT NULL, CONSTRAINT PK_CNAEF_CNAE PRIMARY KEY (CNAEF_ID, DESMEMBRAMENTO_CNAEF, "
                                      "CNAE_ID, DESMEMBRAMENTO_CNAE))");
                     else
                         garantir(tr, existeRestricao(tr, "PK_CNAEF_CNAE"),
                                  "ALTER TABLE CNAEF_CNAE ADD CONSTRAINT PK_CNAEF_CNAE PRIMARY KEY (CNAEF_ID, "
                                  "DESMEMBRAMENTO_CNAEF, CNAE_ID, DESMEMBRAMENTO_CNAE)");
                     garantir(tr, existeIndice(tr, "CNAEF_ID_DESMEMBRAMENTO"),
                              "CREATE INDEX CNAEF_ID_DESMEMBRAMENTO ON CNAEF_CNAE (CNAEF_ID, DESMEMBRAMENTO_CNAEF)");
                     garantir(tr, existeIndice(tr, "CNAE_ID_DESMEMBRAMENTO"),
                              "CREATE INDEX CNAE_ID_DESMEMBRAMENTO ON CNAEF_CNAE (CNAE_ID, DESMEMBRAMENTO_CNAE)");
                 }});
    s.push_back({false, [](fb::Transacao& tr) {
                     garantir(tr, !existeColuna(tr, "TRANSMISSAO", "ARQUIVO"), "ALTER TABLE TRANSMISSAO DROP ARQUIVO");
                 }});
    s.push_back({false, sql("UPDATE TRANSMISSAO SET TRANSMISSAO.TIPOTRANSMISSAO = 'T' WHERE TRANSMISSAO.PROTOCOLO IS "
                            "NOT NULL")});
    return s;
}

// Depois da subida desde a 7.00.04: diz quando a tabela CNAE não foi renovada (os arquivos
// compactados não estavam na pasta), pelo que a base mostra, que vale também para uma
// atualização retomada.
std::string avisoCNAEAusente(fb::Conexao& c, const std::string& pasta) {
    auto tr = fb::Transacao::leitura(c);
    // A carga grava códigos válidos a partir de 2007, e a correspondência linhas em CNAEF_CNAE
    const bool tabelaNova = existe(tr, "SELECT FIRST 1 1 FROM CNAEF WHERE DATA_INICIO = DATE '2007-01-01'");
    const bool correspondencia = existe(tr, "SELECT FIRST 1 1 FROM CNAEF_CNAE");
    if (!tabelaNova && !correspondencia)
        return "Os arquivos TabelaCNAE20.zip e Tabela_CNAEF_CNAE.zip não estavam na pasta da base (" + pasta +
               "): a tabela CNAE não foi renovada e os códigos CNAE dos contribuintes e das declarações não foram "
               "convertidos.";
    if (!tabelaNova)
        return "O arquivo TabelaCNAE20.zip não estava na pasta da base (" + pasta +
               "): a tabela CNAE não foi renovada.";
    if (!correspondencia)
        return "O arquivo Tabela_CNAEF_CNAE.zip não estava na pasta da base (" + pasta +
               "): os códigos CNAE dos contribuintes e das declarações não foram convertidos.";
    return {};
}

}  // namespace

std::string Tdm::pastaBanco() const {
    const std::string local = ArquivoLocalDaBase(caminho_);
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

void Tdm::prepararCopiaSeguranca(const std::string& versaoAtual, const std::optional<DiarioAtualizacao>& diario) {
    const std::string arquivo = ArquivoLocalDaBase(caminho_);
    if (arquivo.empty()) return;  // base em outro computador: não há como copiar daqui
    const CopiaSeguranca copia(arquivo);
    if (diario) copia_ = copia.reaproveitar(*diario);
    if (copia_.empty()) {
        // Copiada com a conexão fechada, para o arquivo estar íntegro
        MainConnectionBeforeDisconnect();
        MainConnection.fechar();
        try {
            // Sem a cópia registrada (apagada à mão), a melhor cópia possível é a da base como está
            copia_ = copia.copiar(versaoAtual, diario ? diario->origem : versaoAtual);
        } catch (const std::exception& e) {
            abrirConexao();
            throw ErroSistema("Não foi possível fazer a cópia de segurança da base antes de atualizá-la:\r\n" +
                              std::string(e.what()) + "\r\n" + NAO_ATUALIZOU);
        }
        abrirConexao();
    }
    PontoDeParada("copia-pronta");
}

bool Tdm::VerificarParametros() {
    Parametros estado;
    {
        auto tr = fb::Transacao::leitura(MainConnection);
        estado = estadoParametros(tr);
    }
    if (estado == Parametros::Ausente) {
        // O Firebird não deixa gravar numa tabela criada na mesma transação: a versão vai numa
        // segunda, e uma PARAMETROS vazia é reconhecida abaixo como esta criação interrompida.
        try {
            criarTabela(MainConnection, "parametros", [](fb::Transacao& tr) {
                executar(tr,
                         "CREATE TABLE PARAMETROS (CAMPO VARCHAR(30) NOT NULL, VALOR VARCHAR(100), "
                         "CONSTRAINT PK_PARAMETROS PRIMARY KEY (CAMPO))");
            });
        } catch (const std::exception& e) {
            throw ErroSistema(std::string(e.what()) + "\r\n" + NAO_ATUALIZOU);
        }
        PontoDeParada("parametros");
        estado = Parametros::Vazia;
    }
    if (estado == Parametros::Vazia) {
        try {
            fb::Transacao tr(MainConnection);
            fb::Comando ins(tr, "INSERT INTO PARAMETROS (CAMPO, VALOR) VALUES (:CAMPO, :VALOR);");
            ins.param("CAMPO", "VERSAO").param("VALOR", VERSAO_SCRIPT).executar();
            tr.commit();
        } catch (const std::exception&) {
            return false;
        }
        PontoDeParada("parametros-versao");
        return true;
    }
    auto tr = fb::Transacao::leitura(MainConnection);
    if (lerVersao(tr).empty())
        throw ErroSistema(std::string("Não foi possível detectar a versão do banco de dados. Contacte o suporte da DRU.") +
                          "\r\n" + NAO_ATUALIZOU);
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
            executar(tr, p.comandos[0]);
            tr.commit();
        } catch (const std::exception& e) {
            throw falha(tr, e);
        }
        PontoDeParada((std::string(p.para) + "-1").c_str());
        inicio = 1;
    }
    fb::Transacao tr(MainConnection);
    if (lerVersao(tr) != p.de) return true;
    ui_.mostrarStatus("Atualizando a base de dados para a versão " + std::string(p.para) + ". Aguarde...");
    try {
        for (size_t i = inicio; i < p.comandos.size(); ++i) executar(tr, p.comandos[i]);
        if (p.versaoAntesDoAno) {
            executar(tr, comandoVersao(p.para));
            if (p.ano) executar(tr, comandoAno(p.ano));
        } else {
            if (p.ano) executar(tr, comandoAno(p.ano));
            executar(tr, comandoVersao(p.para));
        }
        if (p.consolidarExclusoes) ConsolidarExclusoesOutras(tr);
        tr.commit();
    } catch (const std::exception& e) {
        throw falha(tr, e);
    }
    PontoDeParada(p.para);
    return true;
}

void Tdm::ConsolidarExclusoesOutras(fb::Transacao& tr) {
    // Todas as linhas, de qualquer ano: nenhuma declaração pode ficar com valores em colunas
    // que nenhum total soma mais, nem com "outras" nulas. Repetir soma zeros.
    executar(tr,
             "UPDATE EXCLUSOESKOV SET "
             "ENTOUTRAS = COALESCE(ENTOUTRAS, 0) + COALESCE(ENTENTREGAFUTURA, 0) + COALESCE(ENTMERCADORIASUSP, 0) + "
             "COALESCE(ENTSIMPLESREMESSA, 0) + COALESCE(ENTARMAZENAMENTODEPOSITO, 0) + COALESCE(ENTCONSIGNACAO, 0), "
             "SAIOUTRAS = COALESCE(SAIOUTRAS, 0) + COALESCE(SAIENTREGAFUTURA, 0) + COALESCE(SAIMERCADIORIASUSP, 0) + "
             "COALESCE(SAISIMPLESREMESSA, 0) + COALESCE(SAIARMAZENAMENTODEPOSITO, 0) + COALESCE(SAICONSIGNACAO, 0), "
             "ENTENTREGAFUTURA = 0, ENTMERCADORIASUSP = 0, ENTSIMPLESREMESSA = 0, ENTARMAZENAMENTODEPOSITO = 0, "
             "ENTCONSIGNACAO = 0, SAIENTREGAFUTURA = 0, SAIMERCADIORIASUSP = 0, SAISIMPLESREMESSA = 0, "
             "SAIARMAZENAMENTODEPOSITO = 0, SAICONSIGNACAO = 0");
}

bool Tdm::AtualizarVersao70004() {
    {
        auto tr = fb::Transacao::leitura(MainConnection);
        if (lerVersao(tr) != VERSAO_SCRIPT) return true;
    }
    ui_.mostrarStatus("Atualizando a base de dados para a versão 7.01.00. Aguarde...");
    // O script roda numa segunda conexão, com a principal fechada
    MainConnectionBeforeDisconnect();
    MainConnection.fechar();
    fb::Conexao ib;
    try {
        ib.abrir(parametrosConexao());
        liberarReservas(ib);  // de uma criação de tabela interrompida
        int feito;
        {
            auto tr = fb::Transacao::leitura(ib);
            feito = lerMarcaScript(tr);
        }
        const auto script = scriptDe70004();
        int n = 0;
        for (const auto& comando : script) {
            if (++n <= feito) continue;
            auto rodar = [&](fb::Transacao& tr) {
                comando.rodar(tr);
                gravarMarcaScript(tr, n);
            };
            if (comando.tabelaNova) {
                criarTabela(ib, "script-" + std::to_string(n), rodar);
            } else {
                fb::Transacao tr(ib);
                rodar(tr);
                tr.commit();
            }
            PontoDeParada(("script-" + std::to_string(n)).c_str());
        }

        // A tabela CNAE nova e a conversão dos códigos, cada carga confirmada com a sua marca.
        // Sem o arquivo compactado, ou numa conversão que falhou (desfeita), a marca vai sozinha.
        AtualizacaoCNAE cnae(ib, pastaBanco());
        const std::vector<std::function<void(const AntesDeConfirmar&)>> cargas = {
            [&](const AntesDeConfirmar& a) { cnae.AtualizarTabelaCNAE(a); },
            [&](const AntesDeConfirmar& a) { cnae.CarregarCorrespondenciaCNAE(a); },
            [&](const AntesDeConfirmar& a) { cnae.ConverterCNAEContribuintes(a); },
            [&](const AntesDeConfirmar& a) { cnae.ConverterCNAEDocumentos(a); },
        };
        for (const auto& carga : cargas) {
            if (++n <= feito) continue;
            carga([n](fb::Transacao& tr) { gravarMarcaScript(tr, n); });
            fb::Transacao tr(ib);
            if (lerMarcaScript(tr) < n) {
                gravarMarcaScript(tr, n);
                tr.commit();
            }
            PontoDeParada(("script-" + std::to_string(n)).c_str());
        }

        // Só agora, com tudo feito, a base passa a ser da 7.01.00
        fb::Transacao tr(ib);
        executar(tr, comandoVersao("7.01.00"));
        executar(tr, std::string("DELETE FROM PARAMETROS WHERE CAMPO = '") + MARCA_SCRIPT + "'");
        tr.commit();
        PontoDeParada("7.01.00");
    } catch (...) {
        ib.fechar();
        // O erro que sobe é o do passo; uma falha ao reabrir aqui só deixa a conexão fechada
        try {
            abrirConexao();
        } catch (const std::exception&) {
        }
        throw;
    }
    ib.fechar();
    abrirConexao();
    return true;
}

void Tdm::AtualizarBaseDados() {
    copia_.clear();
    avisoCNAE_.clear();
    // Versão de partida: sem PARAMETROS (ou com ela vazia, de uma criação interrompida) a base
    // é da 7.00.04. Uma base de outro programa é recusada antes de qualquer regra de versão.
    std::string versao;
    {
        auto tr = fb::Transacao::leitura(MainConnection);
        if (!TemTabelasDoKOV(tr)) throw ErroSistema(MensagemBaseEstranha(caminho_));
        versao = estadoParametros(tr) == Parametros::ComLinhas ? lerVersao(tr) : VERSAO_SCRIPT;
    }
    // Uma atualização começada e interrompida continua com a mesma cópia e a mesma origem
    const std::string arquivo = ArquivoLocalDaBase(caminho_);
    std::optional<DiarioAtualizacao> diario;
    if (!arquivo.empty() && (versao == ConfigApp.Versao || versaoNaEscada(versao)))
        diario = CopiaSeguranca(arquivo).diario();
    const bool vaiMudar = diario || (versao != ConfigApp.Versao && versaoNaEscada(versao));
    // Base em dia: nenhum passo teria o que fazer, e cada transação a mais custa uma gravação
    // no cabeçalho da base
    if (!vaiMudar && versao == ConfigApp.Versao) return;
    const std::string original = diario ? diario->origem : versao;
    if (vaiMudar) prepararCopiaSeguranca(versao, diario);

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
    PontoDeParada("fim");
    if (!arquivo.empty()) CopiaSeguranca(arquivo).concluir();
    // Reabre a conexão para as consultas verem o esquema novo
    try {
        DefinirConexao(false);
        abrirConexao();
    } catch (const std::exception&) {
        ui_.mensagem(TipoMensagem::Aviso, "Atenção",
                     "Não é possível conectar ao banco de dados após a conversão.\rContacte o suporte da DRU.");
        return;
    }
    if (original == VERSAO_SCRIPT) avisoCNAE_ = avisoCNAEAusente(MainConnection, pastaBanco());
    std::string texto = comCopia("A base de dados foi atualizada da versão " + original + " para a versão " +
                                 ConfigApp.Versao + ".");
    if (!avisoCNAE_.empty()) texto += "\r\n" + avisoCNAE_;
    ui_.mensagem(TipoMensagem::Informacao, "Atenção", texto);
}

}  // namespace kov
