/* Dados de referência da base distribuída: regimes de recolhimento,
   situação da declaração, tipos de contribuinte, de operação e de apuração,
   unidades da federação, responsável "não atribuído" e parâmetros. */

/* Regimes de recolhimento.
   1, 2 e 4: regimes de débito e crédito (detalhamento completo de entradas e
   saídas, GI conferida com as entradas e saídas interestaduais).
   3: regime simplificado sem a GI.
   5 e 6: regimes simplificados (totais simplificados, com apuração real ou
   presumida).
   CODIGO é o código gravado em regime_recolhimento no arquivo da declaração
   e usado para voltar ao regime na restauração; por isso é único. Os regimes
   de débito e crédito usam códigos até 3, que a leitura do arquivo trata como
   totais de débito e crédito (VCTOTAL); os simplificados usam códigos da
   série 50. Nos regimes 5 e 6 o código vale para a apuração presumida: com
   apuração real o arquivo leva o código seguinte (52 vira 53, 54 vira 55). */
INSERT INTO REGIME (REGIME_ID, CODIGO, DESCRICAO, PERCENTUAL) VALUES (1, 1, 'Normal - Débito e Crédito', 0);
INSERT INTO REGIME (REGIME_ID, CODIGO, DESCRICAO, PERCENTUAL) VALUES (2, 2, 'Especial - Débito e Crédito', 0);
INSERT INTO REGIME (REGIME_ID, CODIGO, DESCRICAO, PERCENTUAL) VALUES (3, 51, 'Estimativa Fiscal', 0);
INSERT INTO REGIME (REGIME_ID, CODIGO, DESCRICAO, PERCENTUAL) VALUES (4, 3, 'Microprodutor Rural, Produtor de Pequeno Porte', 0);
INSERT INTO REGIME (REGIME_ID, CODIGO, DESCRICAO, PERCENTUAL) VALUES (5, 52, 'Simplificado - Microempresa', 0);
INSERT INTO REGIME (REGIME_ID, CODIGO, DESCRICAO, PERCENTUAL) VALUES (6, 54, 'Simplificado - Empresa de Pequeno Porte', 0);

/* Situação da declaração quanto à consistência */
INSERT INTO STATUSDOC (STATUSDOC_ID, DESCRICAO) VALUES (0, 'Não consistido');
INSERT INTO STATUSDOC (STATUSDOC_ID, DESCRICAO) VALUES (1, 'Inconsistente');
INSERT INTO STATUSDOC (STATUSDOC_ID, DESCRICAO) VALUES (2, 'Consistente');

/* Tipos de contribuinte.
   0: transportador (KOV calculado a partir das prestações de transporte).
   1: contribuinte que informa outras entradas do KOV (produtos agropecuários,
      geração de energia elétrica, transporte tomado, cooperativas),
      detalhadas por município.
   3: demais contribuintes (outras entradas calculadas, inclusive as de
      mudança de município). */
INSERT INTO TIPOCONTRIBUINTE (TIPOCONTRIBUINTE_ID, TITULO) VALUES (0, 'Transportador');
INSERT INTO TIPOCONTRIBUINTE (TIPOCONTRIBUINTE_ID, TITULO) VALUES (1, 'Contrib. com Outras Entradas');
INSERT INTO TIPOCONTRIBUINTE (TIPOCONTRIBUINTE_ID, TITULO) VALUES (3, 'Contribuinte em Geral');

/* Tipos de operação do detalhamento de entradas e saídas */
INSERT INTO TIPOOPERACAO (TIPOOPERACAO_ID, DESCRICAO) VALUES (1, 'Entradas do Estado');
INSERT INTO TIPOOPERACAO (TIPOOPERACAO_ID, DESCRICAO) VALUES (2, 'Entradas de Outros Estados');
INSERT INTO TIPOOPERACAO (TIPOOPERACAO_ID, DESCRICAO) VALUES (3, 'Entradas do Exterior');
INSERT INTO TIPOOPERACAO (TIPOOPERACAO_ID, DESCRICAO) VALUES (4, 'Saídas para o Estado');
INSERT INTO TIPOOPERACAO (TIPOOPERACAO_ID, DESCRICAO) VALUES (5, 'Saídas para Outros Estados');
INSERT INTO TIPOOPERACAO (TIPOOPERACAO_ID, DESCRICAO) VALUES (6, 'Saídas para o Exterior');

/* Tipo de apuração dos regimes simplificados (0 nos demais regimes) */
INSERT INTO TIPORECOLHIMENTO (TIPORECOLHIMENTO_ID, DESCRICAO) VALUES (0, 'Não se aplica');
INSERT INTO TIPORECOLHIMENTO (TIPORECOLHIMENTO_ID, DESCRICAO) VALUES (1, 'Real');
INSERT INTO TIPORECOLHIMENTO (TIPORECOLHIMENTO_ID, DESCRICAO) VALUES (2, 'Presumida');

/* Unidades da federação: o estado (QZ) e as demais, de origem e destino
   das operações da GI */
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('QZ', 'Quezália');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('AC', 'Acre');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('AL', 'Alagoas');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('AM', 'Amazonas');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('AP', 'Amapá');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('BA', 'Bahia');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('CE', 'Ceará');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('DF', 'Distrito Federal');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('ES', 'Espírito Santo');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('GO', 'Goiás');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('MA', 'Maranhão');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('MG', 'Minas Gerais');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('MS', 'Mato Grosso do Sul');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('MT', 'Mato Grosso');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('PA', 'Pará');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('PB', 'Paraíba');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('PE', 'Pernambuco');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('PI', 'Piauí');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('PR', 'Paraná');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('RJ', 'Rio de Janeiro');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('RN', 'Rio Grande do Norte');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('RO', 'Rondônia');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('RR', 'Roraima');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('RS', 'Rio Grande do Sul');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('SC', 'Santa Catarina');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('SE', 'Sergipe');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('SP', 'São Paulo');
INSERT INTO UF (UF_ID, DESCRICAO) VALUES ('TO', 'Tocantins');

/* Responsável "não atribuído": valor padrão dos contribuintes; nunca aparece
   na lista de responsáveis */
INSERT INTO RESPONSAVEL (RESPONSAVEL_ID, NOME, DDD, TELEFONE, EMAIL) VALUES (0, 'Não atribuído', '', '', '');

/* Versão do esquema e ano exercício (ano base) */
INSERT INTO PARAMETROS (CAMPO, VALOR) VALUES ('VERSAO', '7.07.10');
INSERT INTO PARAMETROS (CAMPO, VALOR) VALUES ('ANOEXERCICIO', '2016');

COMMIT;
