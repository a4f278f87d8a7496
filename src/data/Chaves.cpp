#include "data/Chaves.h"

#include "data/fb/Comando.h"
#include "data/fb/ErroBanco.h"
#include "data/fb/Transacao.h"

namespace kov {

int ProximoCodigo(fb::Transacao& tr, const std::string& tabela) {
    fb::Comando sp(tr, "EXECUTE PROCEDURE SP_GERACODIGO(:STABELA)");
    sp.param("STABELA", tabela).executar();
    if (sp["IPROXCODIGO"].nulo()) throw fb::ErroBanco("Não há gerador de códigos para a tabela " + tabela);
    return static_cast<int>(sp["IPROXCODIGO"].inteiro());
}

int ProximoCodigo(fb::Conexao& c, const std::string& tabela) {
    // Transação própria, confirmada: o código fica consumido como no gerador do servidor
    fb::Transacao tr(c);
    const int codigo = ProximoCodigo(tr, tabela);
    tr.commit();
    return codigo;
}

}  // namespace kov
