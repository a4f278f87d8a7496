// Alvo libFuzzer: o KOV.ini como o programa o lê (a base em [KOV] Database e o seu caminho
// resolvido, o transmissor em [ENVIAX] Caminho, a cópia automática em [BACKUP]) e a gravação
// de uma chave pela troca do caminho do transmissor. Depois de gravada, a chave é lida com o
// valor novo e as outras seções continuam dizendo o mesmo.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ApoioFuzz.h"
#include "data/dmPrincipal.h"
#include "data/untUtils.h"
#include "delivery/untBackup.h"
#include "delivery/untEntrega.h"

namespace {

std::string pasta;

struct Leitura {
    std::string database, caminho, transmissor;
    int dias = 0, manter = 0;
};

Leitura ler(const std::string& ini) {
    Leitura l;
    l.database = kov::LerIni(ini, "KOV", "Database");
    l.caminho = kov::ResolverCaminhoBanco(l.database, pasta);
    l.transmissor = kov::CaminhoTransmissor(ini, pasta);
    const kov::ConfigBackupAutomatico b = kov::LerConfigBackupAutomatico(ini);
    l.dias = b.dias;
    l.manter = b.manter;
    return l;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    pasta = kov::fuzz::PastaDeTrabalho("ini");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    const std::string ini = pasta + "KOV.ini";
    kov::fuzz::GravarBytes(ini, std::string(reinterpret_cast<const char*>(dados), tamanho));
    const Leitura antes = ler(ini);

    // A tela da entrega grava o caminho do transmissor entre aspas
    kov::EscreverIni(ini, "ENVIAX", "Caminho", "\"/opt/transmissor/\"");
    const Leitura depois = ler(ini);
    if (kov::LerIni(ini, "ENVIAX", "Caminho") != "/opt/transmissor/")
        kov::fuzz::Falhar("o caminho gravado não é o lido: \"" + kov::LerIni(ini, "ENVIAX", "Caminho") + "\"");
    if (depois.database != antes.database || depois.dias != antes.dias || depois.manter != antes.manter)
        kov::fuzz::Falhar("a gravação de [ENVIAX] mudou outra seção");
    return 0;
}
