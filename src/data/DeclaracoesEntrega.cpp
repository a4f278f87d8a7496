#include "data/DeclaracoesEntrega.h"

#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"

namespace kov {

std::vector<LinhaDeclaracaoEntrega> ListarDeclaracoesEntrega(fb::Conexao& c, const FiltroDeclaracoesEntrega& f) {
    std::vector<LinhaDeclaracaoEntrega> v;
    if (f.anoBase.empty() || f.anoBase.size() > 9 || f.anoBase.find_first_not_of("0123456789") != std::string::npos)
        return v;
    // A situação de entrega é a mesma da lista de declarações: T quando alguma entrega foi
    // transmitida, senão D quando alguma foi gravada, N sem nenhuma.
    std::string sql =
        "SELECT C.INSCESTADUAL, C.RAZAOSOCIAL, D.PERIODO, D.MESINICIAL, D.MESFINAL, D.SUBSTITUICAO, D.STATUS_ID, "
        "D.TIPORECOLHIMENTO_ID, D.DOCUMENTO_ID, D.MUDANCAMUNICIPIOANOCORRENTE, "
        "CASE WHEN EXISTS (SELECT 1 FROM TRANSMISSAO X WHERE X.DOCUMENTO_ID = D.DOCUMENTO_ID AND "
        "X.TIPOTRANSMISSAO = 'T') THEN 'T' "
        "WHEN EXISTS (SELECT 1 FROM TRANSMISSAO X WHERE X.DOCUMENTO_ID = D.DOCUMENTO_ID AND X.TIPOTRANSMISSAO = 'D') "
        "THEN 'D' WHEN EXISTS (SELECT 1 FROM TRANSMISSAO X WHERE X.DOCUMENTO_ID = D.DOCUMENTO_ID) THEN '' ELSE 'N' END "
        "FROM CONTRIBUINTE C, DOCUMENTO D";
    if (f.naoTransmitidas) sql += " LEFT JOIN TRANSMISSAO T ON (T.DOCUMENTO_ID = D.DOCUMENTO_ID)";
    sql += " WHERE (C.CONTRIBUINTE_ID = D.CONTRIBUINTE_ID) AND D.STATUS_ID = 2"
           " AND (D.TIPORECOLHIMENTO_ID IN (SELECT TIPORECOLHIMENTO_ID FROM TIPORECOLHIMENTO))"
           " AND (D.PERIODO = :PERIODO)";
    if (!f.inscricao.empty()) sql += " AND (C.INSCESTADUAL = :INSCESTADUAL)";
    if (f.mesInicio) sql += " AND (D.MESINICIAL >= :INICIO)";
    if (f.mesFim) sql += " AND (D.MESFINAL <= :FIM)";
    if (f.naoTransmitidas) sql += " AND ((T.TIPOTRANSMISSAO IS NULL) OR (T.TIPOTRANSMISSAO = 'D'))";
    sql += " ORDER BY C.INSCESTADUAL, D.MESINICIAL, D.MESFINAL";

    auto tr = fb::Transacao::leitura(c);
    fb::Comando q(tr, sql);
    q.param("PERIODO", std::stoi(f.anoBase));
    if (!f.inscricao.empty()) q.param("INSCESTADUAL", f.inscricao);
    if (f.mesInicio) q.param("INICIO", *f.mesInicio);
    if (f.mesFim) q.param("FIM", *f.mesFim);
    while (q.proximo()) {
        LinhaDeclaracaoEntrega l;
        l.INSCESTADUAL = q.coluna(0).texto();
        l.RAZAOSOCIAL = q.coluna(1).texto();
        l.PERIODO = static_cast<int>(q.coluna(2).inteiro());
        l.MESINICIAL = static_cast<int>(q.coluna(3).inteiro());
        l.MESFINAL = static_cast<int>(q.coluna(4).inteiro());
        l.SUBSTITUICAO = q.coluna(5).texto();
        l.STATUS_ID = static_cast<int>(q.coluna(6).inteiro());
        l.TIPORECOLHIMENTO_ID = static_cast<int>(q.coluna(7).inteiro());
        l.DOCUMENTO_ID = static_cast<int>(q.coluna(8).inteiro());
        l.MUDANCAMUNICIPIOANOCORRENTE = q.coluna(9).texto();
        l.SITUACAO = q.coluna(10).texto();
        v.push_back(std::move(l));
    }
    tr.commit();
    return v;
}

bool ExisteDeclaracao(fb::Transacao& tr, int documentoId) {
    fb::Comando q(tr, "SELECT 1 FROM DOCUMENTO WHERE DOCUMENTO_ID = :ID");
    q.param("ID", documentoId);
    return q.proximo();
}

}  // namespace kov
