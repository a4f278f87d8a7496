// Alvo libFuzzer: o cabeçalho de um arquivo devolvido pela administração, como a captura de
// protocolos o lê (XML, verificador, período, protocolo, data e hora), e a linha de colunas
// fixas que a lista mostra. Propriedade: o que a linha guarda volta igual pela leitura das
// colunas (inscrição, número do protocolo, data, hora, ano e meses), com qualquer texto nos
// elementos — um protocolo com acentos não pode deslocar a data e a hora gravadas na entrega.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ApoioFuzz.h"
#include "data/Cadastros.h"
#include "delivery/untCaptura.h"
#include "files/DocumentoXml.h"
#include "files/untManipula_XML.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    kov::DocumentoXml doc;
    try {
        doc = kov::LerXml(std::string(reinterpret_cast<const char*>(dados), tamanho));
    } catch (const kov::ErroSistema&) {
        return 0;
    }
    try {
        kov::VerificadorConfere(doc);
    } catch (const kov::ErroSistema&) {
    }
    const auto p = kov::ProtocoloDoArquivo(doc.raiz());
    // Só as inscrições que cabem na coluna chegam à lista (vêm do cadastro)
    if (!p || kov::ContarCaracteres(p->inscricao) > 13) return 0;
    const std::string linha = kov::LinhaProtocolo(p->inscricao, p->dataInicial, p->dataFinal, p->numero, p->data, p->hora);
    if (kov::ContarCaracteres(linha) != 65) kov::fuzz::Falhar("linha de protocolo sem 65 caracteres");
    const kov::CamposProtocolo c = kov::CamposDaLinha(linha);
    if (c.inscricao != kov::Aparar(p->inscricao)) kov::fuzz::Falhar("inscrição diferente na linha");
    if (c.numero != kov::Aparar(p->numero)) kov::fuzz::Falhar("protocolo diferente na linha");
    if (c.data != p->data || c.hora != p->hora) kov::fuzz::Falhar("data ou hora deslocadas na linha");
    if (c.ano != p->ano || c.mesInicial != p->mesInicial || c.mesFinal != p->mesFinal)
        kov::fuzz::Falhar("período diferente na linha");
    return 0;
}
