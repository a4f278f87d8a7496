#pragma once
// Base de benchmark cheia como a de um escritório: uma declaração grande (regime 1, chave 1,
// ano 2016) com 300 municípios a mais na tabela, o contribuinte com responsável, toda coluna de
// valor preenchida com centavos, 27 linhas de GI em cada sentido, 300 linhas de outras entradas
// por município e três entregas com o recibo da própria declaração; e mais 10.000 declarações
// de 2015 e 2.000 de 2014 (EncherDeclaracoes). Numa pasta temporária apagada no fim.
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "data/CriarBase.h"
#include "data/Declaracao.h"
#include "data/ReciboTexto.h"
#include "data/RegrasDeclaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"

namespace kov::bench {

// 'quantidade' declarações de cabeçalho no ano 'ano', cada uma de um contribuinte seu, como na
// carteira de um escritório (status variados, uma em sete gravada em disquete). Contribuintes e
// declarações com as chaves a partir de 'primeiraChave'; os geradores passam das chaves usadas,
// como numa base em que elas vieram de SP_GERACODIGO.
inline void EncherDeclaracoes(fb::Conexao& c, int quantidade, int primeiraChave, int ano, int municipio) {
    const std::string n = std::to_string(quantidade), k = std::to_string(primeiraChave),
                      m = std::to_string(municipio);
    fb::Transacao tr(c);
    fb::Comando::executarDireto(
        tr, "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < " + n +
                ") DO BEGIN "
                "INSERT INTO CONTRIBUINTE (CONTRIBUINTE_ID, CNAEF_ID, DESMEMBRAMENTO, CODDRUMUNICIPIO, UF_ID, "
                "TIPOCONTRIBUINTE_ID, RAZAOSOCIAL, CEP, INSCESTADUAL, CNPJ) VALUES (" + k + " + :I, '4711301', '00', " +
                m + ", 'QZ', 1, 'Contribuinte ' || (" + k + " + :I), '12345678', '1234567890107', '12345678000199'); "
                "INSERT INTO DOCUMENTO (DOCUMENTO_ID, CONTRIBUINTE_ID, STATUS_ID, REGIME_ID, TIPOCONTRIBUINTE_ID, "
                "CNAEF_ID, DESMEMBRAMENTO, CODDRUMUNICIPIO, TIPORECOLHIMENTO_ID, PERIODO, MESINICIAL, MESFINAL, "
                "ESCRITACONTABIL, SUBSTITUICAO, MUDANCAMUNICIPIO, BAIXA, MUDANCAMUNICIPIOANOCORRENTE) VALUES (" +
                k + " + :I, " + k + " + :I, MOD(:I, 3), 1, 1, '4711301', '00', " + m + ", 0, " +
                std::to_string(ano) +
                ", 1, 12, 'N', 'N', 'N', 'N', 'N'); "
                "IF (MOD(:I, 7) = 0) THEN INSERT INTO TRANSMISSAO (TRANSMISSAO_ID, DOCUMENTO_ID, TIPOTRANSMISSAO) "
                "VALUES (" + k + " + :I, " + k + " + :I, 'D'); I = I + 1; END END");
    for (const char* gerador : {"GEN_CONTRIBUINTE", "GEN_DOCUMENTO", "GEN_TRANSMISSAO"})
        fb::Comando::executarDireto(tr, std::string("SET GENERATOR ") + gerador + " TO " +
                                            std::to_string(primeiraChave + quantidade));
    tr.commit();
}

// Toda coluna de valor com um valor diferente, com centavos (o caso mais longo no arquivo)
template <class L>
void preencher(L& l, int64_t& n) {
    for (const auto& c : L::colunas())
        if (auto m = std::get_if<Quantia L::*>(&c.membro)) l.*(*m) = Dinheiro::deCentavos(100000 + 37 * ++n);
}

struct DeclaracaoGrande {
    std::filesystem::path pasta;
    fb::Conexao c;
    Declaracao d;
    // 'mudanca': a declaração e as linhas de outras entradas marcadas como mudança de município
    explicit DeclaracaoGrande(const std::string& prefixo, bool mudanca = false)
        : pasta(std::filesystem::temp_directory_path() / (prefixo + std::to_string(std::random_device{}()))) {
        namespace fs = std::filesystem;
        fs::create_directories(pasta);
        criarBase((pasta / "KOV.GDB").string());
        fb::ParametrosConexao p;
        p.banco = (pasta / "KOV.GDB").string();
        c.abrir(p);
        fb::Transacao tr(c);
        fb::Comando::executarDireto(tr,
                                    "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 300) DO BEGIN "
                                    "INSERT INTO MUNICIPIO VALUES (900000 + :I, 900000 + :I, 'MUNICÍPIO ' || :I); "
                                    "I = I + 1; END END");
        fb::Comando::executarDireto(tr,
                                    "INSERT INTO RESPONSAVEL (RESPONSAVEL_ID, NOME, DDD, TELEFONE, EMAIL) VALUES (1, "
                                    "'José D''Ávila', '11', '55551234', 'jose@exemplo.com.br')");
        fb::Comando::executarDireto(tr,
                                    "INSERT INTO CONTRIBUINTE (CONTRIBUINTE_ID, CNAEF_ID, DESMEMBRAMENTO, CODDRUMUNICIPIO, "
                                    "UF_ID, TIPOCONTRIBUINTE_ID, RAZAOSOCIAL, CEP, INSCESTADUAL, CNPJ, RESPONSAVEL_ID) "
                                    "VALUES (1, '4711301', '00', 900000, 'QZ', 1, 'Comércio Ação & Cia Ltda', "
                                    "'12345678', '1234567890107', '12345678000199', 1)");
        tr.commit();
        d = NovaDeclaracao("2016");
        d.doc.DOCUMENTO_ID = 1;
        d.doc.CONTRIBUINTE_ID = 1;
        d.doc.REGIME_ID = 1;
        d.doc.TIPOCONTRIBUINTE_ID = 1;
        d.doc.CNAEF_ID = "4711301";
        d.doc.DESMEMBRAMENTO = "00";
        d.doc.CODDRUMUNICIPIO = 900000;
        d.doc.MESINICIAL = 1;
        d.doc.MESFINAL = 12;
        if (mudanca) d.doc.MUDANCAMUNICIPIO = "S";
        CriarSecoesQueFaltam(d);
        int64_t n = 0;
        preencher(*d.estoque, n);
        preencher(*d.despesas, n);
        preencher(*d.resultado, n);
        preencher(*d.entrada, n);
        preencher(*d.saida, n);
        preencher(*d.kov, n);
        preencher(*d.exclusoes, n);
        for (auto& e : d.detalhamentoES) preencher(e, n);
        std::vector<std::string> ufs;
        {
            fb::Transacao t2(c);
            fb::Comando q(t2, "SELECT UF_ID FROM UF WHERE UF_ID <> 'QZ'");
            while (q.proximo()) ufs.push_back(q.coluna(0).texto());
        }
        for (const auto& uf : ufs) {
            GIEntrada e;
            e.UF_ID = uf;
            preencher(e, n);
            d.giEntrada.push_back(e);
            GISaidas s;
            s.UF_ID = uf;
            preencher(s, n);
            d.giSaidas.push_back(s);
        }
        for (int i = 0; i < 300; ++i) {
            DetalhamentoEntrada m = NovaLinhaDetalhamentoEntrada(mudanca ? "S" : "N");
            m.CODDRUMUNICIPIO = 900000 + i;
            preencher(m, n);
            d.detalhamentoEntrada.push_back(m);
        }
        GravarDeclaracao(c, d);
        d = CarregarDeclaracao(c, 1);
        // Três entregas com o recibo da própria declaração
        std::map<int, std::string> nomes;
        for (int i = 0; i < 300; ++i) nomes[900000 + i] = "MUNICÍPIO " + std::to_string(i);
        const std::string recibo = GerarReciboTexto(d, nomes);
        fb::Transacao t3(c);
        for (int i = 1; i <= 3; ++i) {
            fb::Comando q(t3,
                          "INSERT INTO TRANSMISSAO (TRANSMISSAO_ID, DOCUMENTO_ID, DATA, HORA, PROTOCOLO, TIPOTRANSMISSAO, "
                          "STATUS, RECIBO) VALUES (:ID, 1, CURRENT_DATE, :HORA, :PROT, 'T', 1, :RECIBO)");
            q.param("ID", i).param("HORA", "10:0" + std::to_string(i) + ":00");
            q.param("PROT", "2017000000000000" + std::to_string(i)).param("RECIBO", fb::Valor::binario(recibo)).executar();
        }
        t3.commit();
        EncherDeclaracoes(c, 10000, 100, 2015, 900000);
        EncherDeclaracoes(c, 2000, 10100, 2014, 900000);
    }
    ~DeclaracaoGrande() {
        c.fechar();
        std::filesystem::remove_all(pasta);
    }
};

}  // namespace kov::bench
