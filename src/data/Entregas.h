#pragma once
// As linhas de TRANSMISSAO: o histórico de entregas e gravações de cada declaração, com o
// recibo guardado. Sobrevivem à exclusão da declaração.
#include <optional>
#include <string>
#include <vector>

#include "data/fb/Valor.h"

namespace kov {

namespace fb { class Transacao; }

struct Entrega {
    int TRANSMISSAO_ID = 0;  // 0 numa entrega ainda não gravada
    std::optional<int> DOCUMENTO_ID;
    std::optional<fb::Data> DATA;
    std::string HORA, PROTOCOLO, TIPOTRANSMISSAO;
    std::optional<int> STATUS;
    std::string RECIBO;  // os bytes guardados (Windows-1252, linhas com CR LF)
    bool operator==(const Entrega&) const = default;
};

// As entregas da declaração em ordem de DATA, HORA.
std::vector<Entrega> LerEntregas(fb::Transacao& tr, int documentoId);

// Os recibos da declaração: as entregas com protocolo, em ordem de DATA, HORA (as gravações
// "D" não têm protocolo e não contam).
std::vector<Entrega> RecibosDaDeclaracao(fb::Transacao& tr, int documentoId);

// A entrega com o protocolo (texto não vazio), ou nada.
std::optional<Entrega> EntregaDoProtocolo(fb::Transacao& tr, const std::string& protocolo);
// Uma gravação sem protocolo da declaração com o tipo, a data e a hora dados, ou nada.
std::optional<Entrega> GravacaoSemProtocolo(fb::Transacao& tr, int documentoId, const std::string& tipo,
                                             const std::optional<fb::Data>& data, const std::string& hora);

// Grava na transação: chave 0 tira a chave de SP_GERACODIGO e insere; senão atualiza a linha.
void GravarEntrega(fb::Transacao& tr, Entrega& e);

}  // namespace kov
