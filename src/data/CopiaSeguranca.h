#pragma once
// Cópia de segurança da base feita antes de atualizá-la: uma por versão original, ao lado da
// base (KOV.GDB → KOV-7.00.04.GDB). A cópia é escrita com outro nome, forçada para o disco e
// só então recebe o nome final; um diário ao lado da base (KOV.GDB.atualizacao) registra a
// versão original e a cópia enquanto a atualização não termina. Uma atualização interrompida
// e retomada reaproveita a cópia, que é a base original intacta, e as mensagens nomeiam essa.
#include <optional>
#include <string>

namespace kov {

struct DiarioAtualizacao {
    std::string origem;  // versão da base quando a atualização começou
    std::string copia;   // caminho completo da cópia
};

class CopiaSeguranca {
public:
    explicit CopiaSeguranca(std::string arquivoBase);

    // Diário de uma atualização começada e não concluída, se houver.
    std::optional<DiarioAtualizacao> diario() const;

    // A cópia registrada no diário, quando ainda existe (completa o nome de uma cópia que
    // ficou com o nome temporário); vazio quando não há o que reaproveitar.
    std::string reaproveitar(const DiarioAtualizacao& d) const;

    // Copia a base (que precisa estar fechada) com a versão 'versaoNoNome' no nome e registra
    // o diário com a versão original 'origem'. Nunca sobrescreve uma cópia existente: uma de
    // outra atualização, já concluída, faz esta ganhar "-2", "-3"... Devolve o caminho.
    std::string copiar(const std::string& versaoNoNome, const std::string& origem) const;

    // A atualização terminou: apaga o diário (a cópia fica).
    void concluir() const;

    std::string arquivoDiario() const { return base_ + ".atualizacao"; }

private:
    std::string base_;
};

}  // namespace kov
