Concept_num=2  Total_rulenum=6  Majority_class=0  Rule_qualityno=1
Concept=0  rulenum=4
num_of_pairs=1  and_pair_num=1  rule_accuracy=1.0  rule_quality=2.0  posnum=4  negnum=0
attrino=0  parino=1  direction=0  orflag=1
num_of_pairs=3  and_pair_num=3  rule_accuracy=1.0  rule_quality=1.5  posnum=1  negnum=0
attrino=0  parino=0  direction=0  orflag=1
attrino=1  parino=1  direction=0  orflag=1
attrino=3  parino=1  direction=1  orflag=1
num_of_pairs=3  and_pair_num=2  rule_accuracy=1.0  rule_quality=1.8  posnum=6  negnum=0
attrino=0  parino=1  direction=0  orflag=2
attrino=0  parino=2  direction=0  orflag=1
attrino=2  parino=0  direction=1  orflag=1
num_of_pairs=2  and_pair_num=2  rule_accuracy=0.57  rule_quality=1.2  posnum=4  negnum=3
attrino=3  parino=1  direction=1  orflag=1
attrino=4  parino=2  direction=0  orflag=1
Concept=1  rulenum=2
num_of_pairs=2  and_pair_num=2  rule_accuracy=1.0  rule_quality=2.0  posnum=3  negnum=0
attrino=0  parino=0  direction=0  orflag=1
attrino=1  parino=1  direction=1  orflag=1
num_of_pairs=5  and_pair_num=3  rule_accuracy=0.75  rule_quality=1.2  posnum=3  negnum=1
attrino=0  parino=0  direction=0  orflag=3
attrino=0  parino=2  direction=0  orflag=1
attrino=0  parino=1  direction=0  orflag=1
attrino=0  parino=1  direction=1  orflag=1
attrino=2  parino=0  direction=0  orflag=1
