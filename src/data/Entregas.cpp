#include "data/Entregas.h"

#include "data/Chaves.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"

namespace kov {

namespace {

const char* const COLUNAS = "TRANSMISSAO_ID, DOCUMENTO_ID, DATA, HORA, PROTOCOLO, TIPOTRANSMISSAO, STATUS, RECIBO";

Entrega lerEntrega(const fb::Comando& q) {
    Entrega e;
    e.TRANSMISSAO_ID = static_cast<int>(q.coluna(0).inteiro());
    if (!q.coluna(1).nulo()) e.DOCUMENTO_ID = static_cast<int>(q.coluna(1).inteiro());
    if (!q.coluna(2).nulo()) e.DATA = q.coluna(2).data();
    e.HORA = q.coluna(3).texto();
    e.PROTOCOLO = q.coluna(4).texto();
    e.TIPOTRANSMISSAO = q.coluna(5).texto();
    if (!q.coluna(6).nulo()) e.STATUS = static_cast<int>(q.coluna(6).inteiro());
    e.RECIBO = q.coluna(7).bytes();
    return e;
}

std::optional<Entrega> primeira(fb::Comando& q) {
    if (!q.proximo()) return std::nullopt;
    return lerEntrega(q);
}

}  // namespace

std::vector<Entrega> LerEntregas(fb::Transacao& tr, int documentoId) {
    fb::Comando q(tr, std::string("SELECT ") + COLUNAS +
                          " FROM TRANSMISSAO WHERE DOCUMENTO_ID = :ID ORDER BY DATA, HORA, TRANSMISSAO_ID");
    q.param("ID", documentoId);
    std::vector<Entrega> v;
    while (q.proximo()) v.push_back(lerEntrega(q));
    return v;
}

std::vector<Entrega> RecibosDaDeclaracao(fb::Transacao& tr, int documentoId) {
    std::vector<Entrega> v = LerEntregas(tr, documentoId);
    std::erase_if(v, [](const Entrega& e) { return e.PROTOCOLO.find_first_not_of(' ') == std::string::npos; });
    return v;
}

std::optional<Entrega> EntregaDoProtocolo(fb::Transacao& tr, const std::string& protocolo) {
    fb::Comando q(tr, std::string("SELECT FIRST 1 ") + COLUNAS +
                          " FROM TRANSMISSAO WHERE PROTOCOLO = :P ORDER BY TRANSMISSAO_ID");
    q.param("P", protocolo);
    return primeira(q);
}

std::optional<Entrega> GravacaoSemProtocolo(fb::Transacao& tr, int documentoId, const std::string& tipo,
                                             const std::optional<fb::Data>& data, const std::string& hora) {
    // Nulo e vazio são a mesma falta de protocolo, de data e de hora
    fb::Comando q(tr, std::string("SELECT FIRST 1 ") + COLUNAS +
                          " FROM TRANSMISSAO WHERE DOCUMENTO_ID = :DOC AND COALESCE(PROTOCOLO, '') = '' "
                          "AND COALESCE(TIPOTRANSMISSAO, '') = :TIPO AND COALESCE(HORA, '') = :HORA AND "
                          "((DATA IS NULL AND :SEMDATA = 1) OR DATA = :DATA) ORDER BY TRANSMISSAO_ID");
    q.param("DOC", documentoId).param("TIPO", tipo).param("HORA", hora);
    q.param("SEMDATA", data ? 0 : 1).param("DATA", data ? fb::Valor(*data) : fb::Valor());
    return primeira(q);
}

void GravarEntrega(fb::Transacao& tr, Entrega& e) {
    const bool nova = e.TRANSMISSAO_ID == 0;
    const int id = nova ? ProximoCodigo(tr, "TRANSMISSAO") : e.TRANSMISSAO_ID;
    fb::Comando q(tr, nova ? std::string("INSERT INTO TRANSMISSAO (") + COLUNAS +
                                 ") VALUES (:ID, :DOC, :DATA, :HORA, :PROTOCOLO, :TIPO, :STATUS, :RECIBO)"
                           : "UPDATE TRANSMISSAO SET DOCUMENTO_ID = :DOC, DATA = :DATA, HORA = :HORA, "
                             "PROTOCOLO = :PROTOCOLO, TIPOTRANSMISSAO = :TIPO, STATUS = :STATUS, RECIBO = :RECIBO "
                             "WHERE TRANSMISSAO_ID = :ID");
    // Hora e protocolo vazios ficam nulos: uma gravação (D) não tem protocolo, e os recibos
    // são as entregas com PROTOCOLO preenchido
    auto textoOuNulo = [](const std::string& t) { return t.empty() ? fb::Valor() : fb::Valor(t); };
    q.param("ID", id).param("DOC", e.DOCUMENTO_ID).param("DATA", e.DATA).param("HORA", textoOuNulo(e.HORA));
    q.param("PROTOCOLO", textoOuNulo(e.PROTOCOLO)).param("TIPO", e.TIPOTRANSMISSAO).param("STATUS", e.STATUS);
    q.param("RECIBO", fb::Valor::binario(e.RECIBO)).executar();
    e.TRANSMISSAO_ID = id;  // só depois de gravada: uma falha deixa a entrega como nova
}

}  // namespace kov
