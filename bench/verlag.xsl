<?xml version="1.0" encoding="UTF-8"?>
<!-- The same conversion as verlag.xb, for the comparison run with xsltproc. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8"/>
  <xsl:template match="buch">
    <html><body><xsl:text>&#10;</xsl:text>
    <nav><xsl:for-each select="//kapitel/titel"><xsl:if test="position() &gt; 1"> | </xsl:if><xsl:value-of select="."/></xsl:for-each></nav><xsl:text>&#10;</xsl:text>
    <xsl:apply-templates/></body></html><xsl:text>&#10;</xsl:text>
  </xsl:template>
  <!-- The chapter number is counted once per chapter and handed down: a
       count over all earlier nodes for every title would be quadratic. -->
  <xsl:template match="buch/titel"><h1><xsl:apply-templates/></h1><xsl:text>&#10;</xsl:text></xsl:template>
  <xsl:template match="kapitel/titel"><xsl:param name="k"/><h2><xsl:value-of select="$k"/>. <xsl:apply-templates/></h2></xsl:template>
  <xsl:template match="titel"><xsl:param name="k"/><h3><xsl:value-of select="$k"/>.<xsl:number count="abschnitt"/><xsl:text> </xsl:text><xsl:apply-templates/></h3></xsl:template>
  <xsl:template match="kapitel">
    <xsl:variable name="k"><xsl:number/></xsl:variable>
    <section class="{substring('anhangkapitel', 1 + 6 * number(@typ != 'anhang'), 6 + number(@typ != 'anhang'))}">
      <xsl:apply-templates><xsl:with-param name="k" select="$k"/></xsl:apply-templates>
      <ol class="fussnoten"><xsl:for-each select=".//fussnote"><li><xsl:apply-templates/></li></xsl:for-each></ol>
    </section>
  </xsl:template>
  <xsl:template match="abschnitt"><xsl:param name="k"/><section><xsl:apply-templates><xsl:with-param name="k" select="$k"/></xsl:apply-templates></section></xsl:template>
  <xsl:template match="absatz">
    <xsl:choose>
      <xsl:when test="preceding-sibling::*[1][self::titel]"><p class="erster"><xsl:apply-templates/></p></xsl:when>
      <xsl:when test="@typ = 'hinweis'"><p class="hinweis"><xsl:apply-templates/></p></xsl:when>
      <xsl:when test="not(following-sibling::*)"><p class="letzter"><xsl:apply-templates/></p></xsl:when>
      <xsl:otherwise><p><xsl:apply-templates/></p></xsl:otherwise>
    </xsl:choose>
  </xsl:template>
  <xsl:template match="hervor[@art = 'fett']"><b><xsl:apply-templates/></b></xsl:template>
  <xsl:template match="hervor"><i><xsl:apply-templates/></i></xsl:template>
  <xsl:template match="fussnote"><sup><xsl:number level="any" from="kapitel"/></sup></xsl:template>
  <xsl:template match="tabelle">
    <xsl:choose>
      <xsl:when test="number(substring-before(@breite, 'mm')) &gt; 120"><table class="breit"><xsl:apply-templates/></table></xsl:when>
      <xsl:otherwise><table><xsl:apply-templates/></table></xsl:otherwise>
    </xsl:choose>
  </xsl:template>
  <xsl:template match="zeile"><tr><xsl:apply-templates/></tr></xsl:template>
  <xsl:template match="zeile[not(preceding-sibling::zeile)]/zelle"><th><xsl:apply-templates/></th></xsl:template>
  <xsl:template match="zelle"><td><xsl:apply-templates/></td></xsl:template>
  <xsl:template match="liste"><ul><xsl:apply-templates/></ul></xsl:template>
  <xsl:template match="punkt[ancestor::kapitel[1]/@typ = 'anhang']"><li class="anhang"><xsl:apply-templates/></li></xsl:template>
  <xsl:template match="punkt"><li><xsl:apply-templates/></li></xsl:template>
</xsl:stylesheet>
