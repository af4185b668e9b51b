Concept_num=2  Total_rulenum=4  Majority_class=1  Rule_qualityno=1
Concept=0  rulenum=2
num_of_pairs=2  and_pair_num=2  rule_accuracy=1  rule_quality=2  posnum=0  negnum=0
attrino=0  parino=0  direction=0  orflag=1
attrino=1  parino=1  direction=0  orflag=1
num_of_pairs=1  and_pair_num=1  rule_accuracy=0.8  rule_quality=1  posnum=0  negnum=0
attrino=0  parino=2  direction=1  orflag=1
Concept=1  rulenum=2
num_of_pairs=2  and_pair_num=2  rule_accuracy=0.9  rule_quality=1.5  posnum=0  negnum=0
attrino=2  parino=1  direction=1  orflag=1
attrino=1  parino=1  direction=1  orflag=1
num_of_pairs=2  and_pair_num=1  rule_accuracy=0.7  rule_quality=0.5  posnum=0  negnum=0
attrino=0  parino=1  direction=0  orflag=2
attrino=0  parino=2  direction=0  orflag=1
