#include "apoio/RetratoBase.h"

#include <sstream>
#include <vector>

#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"

namespace kov::teste {

namespace {

using Linhas = std::vector<std::vector<std::string>>;

std::string texto(const fb::Valor& v) { return v.nulo() ? "<nulo>" : v.texto(); }

Linhas consultar(fb::Transacao& tr, const std::string& sql) {
    fb::Comando q(tr, sql);
    Linhas r;
    while (q.proximo()) {
        std::vector<std::string> l;
        for (int i = 0; i < q.colunas(); ++i) l.push_back(texto(q.coluna(i)));
        r.push_back(std::move(l));
    }
    return r;
}

std::string juntar(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& x : v) s += (s.empty() ? "" : " | ") + x;
    return s;
}

// Nome dado pelo próprio Firebird a uma restrição ou índice sem nome.
bool nomeAutomatico(const std::string& n) { return n.rfind("INTEG_", 0) == 0 || n.rfind("RDB$", 0) == 0; }

// Colunas do índice 'indice' (uma expressão SQL), em ordem, separadas por vírgula.
std::string colunasDoIndice(const std::string& indice) {
    return "CAST((SELECT LIST(TRIM(S.RDB$FIELD_NAME)) FROM (SELECT S.RDB$FIELD_NAME FROM RDB$INDEX_SEGMENTS S "
           "WHERE S.RDB$INDEX_NAME = " + indice + " ORDER BY S.RDB$FIELD_POSITION) S) AS VARCHAR(1000))";
}

// Linhas da consulta com o nome automático (primeira coluna) trocado, com um rótulo na frente.
void listar(std::ostringstream& r, fb::Transacao& tr, const char* rotulo, const std::string& sql) {
    for (auto l : consultar(tr, sql)) {
        if (nomeAutomatico(l[0])) l[0] = "(automático)";
        r << rotulo << " " << juntar(l) << "\n";
    }
}

}  // namespace

std::string RetratoBase(const std::string& banco) {
    fb::Conexao c;
    fb::ParametrosConexao p;
    p.banco = banco;
    c.abrir(p);
    auto tr = fb::Transacao::leitura(c);
    std::ostringstream r;
    for (const auto& t : consultar(tr, "SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0 "
                                       "AND RDB$VIEW_BLR IS NULL ORDER BY 1")) {
        const std::string tabela = t[0];
        r << "TABELA " << tabela << "\n";
        const auto colunas = consultar(
            tr, "SELECT TRIM(RF.RDB$FIELD_NAME), F.RDB$FIELD_TYPE, F.RDB$FIELD_SUB_TYPE, F.RDB$FIELD_LENGTH, "
                "F.RDB$CHARACTER_LENGTH, F.RDB$FIELD_SCALE, F.RDB$FIELD_PRECISION, "
                "COALESCE(RF.RDB$NULL_FLAG, F.RDB$NULL_FLAG, 0), "
                "CAST(COALESCE(RF.RDB$DEFAULT_SOURCE, F.RDB$DEFAULT_SOURCE) AS VARCHAR(200)) "
                "FROM RDB$RELATION_FIELDS RF JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
                "WHERE RF.RDB$RELATION_NAME = '" + tabela + "' ORDER BY RF.RDB$FIELD_POSITION");
        std::string ordem;
        for (size_t i = 0; i < colunas.size(); ++i) {
            r << "  coluna " << juntar(colunas[i]) << "\n";
            if (colunas[i][1] != "261") ordem += (ordem.empty() ? "" : ", ") + std::to_string(i + 1);  // não BLOB
        }
        for (const auto& l : consultar(tr, "SELECT * FROM " + tabela + (ordem.empty() ? "" : " ORDER BY " + ordem)))
            r << "  linha " << juntar(l) << "\n";
    }
    listar(r, tr, "INDICE",
           "SELECT TRIM(I.RDB$INDEX_NAME), TRIM(I.RDB$RELATION_NAME), COALESCE(I.RDB$UNIQUE_FLAG, 0), "
           "COALESCE(I.RDB$INDEX_INACTIVE, 0), COALESCE(I.RDB$INDEX_TYPE, 0), " + colunasDoIndice("I.RDB$INDEX_NAME") +
               " FROM RDB$INDICES I WHERE COALESCE(I.RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 2, 6, 1");
    // Nas restrições NOT NULL, RDB$CHECK_CONSTRAINTS guarda o nome da coluna
    listar(r, tr, "RESTRICAO",
           "SELECT TRIM(RC.RDB$CONSTRAINT_NAME), TRIM(RC.RDB$RELATION_NAME), TRIM(RC.RDB$CONSTRAINT_TYPE), " +
               colunasDoIndice("RC.RDB$INDEX_NAME") +
               ", CAST((SELECT LIST(TRIM(C.RDB$TRIGGER_NAME)) FROM RDB$CHECK_CONSTRAINTS C WHERE "
               "C.RDB$CONSTRAINT_NAME = RC.RDB$CONSTRAINT_NAME AND RC.RDB$CONSTRAINT_TYPE = 'NOT NULL') AS "
               "VARCHAR(1000)) FROM RDB$RELATION_CONSTRAINTS RC ORDER BY 2, 3, 4, 5, 1");
    std::vector<std::string> geradores;
    for (const auto& g : consultar(tr, "SELECT TRIM(RDB$GENERATOR_NAME) FROM RDB$GENERATORS WHERE "
                                       "COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1"))
        geradores.push_back(g[0]);
    for (const auto& g : geradores)
        r << "GERADOR " << g << " " << consultar(tr, "SELECT GEN_ID(" + g + ", 0) FROM RDB$DATABASE")[0][0] << "\n";
    for (const auto& pr : consultar(tr, "SELECT TRIM(RDB$PROCEDURE_NAME), CAST(RDB$PROCEDURE_SOURCE AS VARCHAR(8000)) "
                                        "FROM RDB$PROCEDURES WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1"))
        r << "PROCEDIMENTO " << juntar(pr) << "\n";
    for (const auto& tg : consultar(tr, "SELECT TRIM(RDB$TRIGGER_NAME), CAST(RDB$TRIGGER_SOURCE AS VARCHAR(8000)) FROM "
                                        "RDB$TRIGGERS WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1"))
        r << "GATILHO " << juntar(tg) << "\n";
    return r.str();
}

}  // namespace kov::teste

namespace kov::teste {

std::string RetratoDados(const std::string& banco) {
    std::string r, linha;
    std::istringstream in(RetratoBase(banco));
    while (std::getline(in, linha))
        if (linha.rfind("TABELA ", 0) == 0 || linha.rfind("  linha ", 0) == 0 || linha.rfind("GERADOR ", 0) == 0)
            r += linha + "\n";
    return r;
}

}  // namespace kov::teste
